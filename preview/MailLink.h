#pragma once
// The mail link of Email Error Message: the support address, the product title as
// subject and the error text as body, joined as they are. Nothing is percent-encoded;
// the desktop's mail program receives the text exactly.

#include <QString>

namespace velmora {

QString ErrorMailLink(const QString& errorText);

}  // namespace velmora
