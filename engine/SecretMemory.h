#pragma once
// Keeping a database password, and the pages it decrypts, out of places other users or
// later readers could find them: core dumps, and freed memory the program owned.

#include <QByteArray>
#include <QString>
#include <string>

namespace velmora {

// Marks the process non-dumpable for the rest of its life: no core dump and no ptrace
// attach by other processes of the same user. Called before a password is read or used;
// never undone, since decrypted pages and copies of the password may remain anywhere.
void KeepSecretsOutOfCoreDumps();

// Overwrites the characters of `text` and empties it. A buffer still shared with another
// QString is left to that owner, which wipes it in turn.
void WipeText(QString& text);
void WipeText(QByteArray& text);
void WipeText(std::string& text);

}  // namespace velmora
