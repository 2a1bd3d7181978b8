#pragma once
// Names the run derives from Access names.

#include <QString>

#include "dataaccess/Connection.h"

namespace velmora {

// An identifier between double quotes; a double quote inside is doubled, so no name
// can end the identifier early or change the statement.
QString QuoteIdentifier(const QString& name);

// The name without blanks, "(", ")" and "'" (removed in that order).
QString CleanName(const QString& name);

// The target table name: the cleaned source name without the characters a file name
// cannot hold (/ \ : * ? " < > | and control characters), cut to 22 characters.
QString TargetTableName(const QString& sourceName);

// The Paradox target connection string for `folder`; with `ownerOnly` the driver creates
// tables readable by their owner only (for data from a protected source).
QString TargetConnectionString(const QString& folder, bool ownerOnly = false);
// Opens `connection` on the Paradox folder with the built-in driver.
void OpenTargetConnection(db::Connection& connection, const QString& folder,
                          bool ownerOnly = false);

inline constexpr int kTargetNameLength = 22;

}  // namespace velmora
