#pragma once
// Names the run derives from Access names.

#include <QString>
#include <QStringList>

#include "dataaccess/Connection.h"

namespace velmora {

// An identifier between double quotes; a double quote inside is doubled, so no name
// can end the identifier early or change the statement.
QString QuoteIdentifier(const QString& name);

// The name without blanks, "(", ")" and "'" (removed in that order).
QString CleanName(const QString& name);

// The target table name: the cleaned source name without the characters a file name
// cannot hold (/ \ : * ? " < > | and control characters), cut to 22 characters
// (21 when the 22nd would split a character outside the BMP).
QString TargetTableName(const QString& sourceName);

// A target name not in `taken` (compared without regard to case): while it is, its
// last character gives way to a counter 0, 1, 2, ... as for names cut at 22 characters.
QString UniqueTargetName(QString target, const QStringList& taken);

// A column name Paradox accepts: the field name as Access has it, without the characters
// a Paradox field name cannot hold ([ ] { } ( ) " control characters, "->" as "-", leading
// blanks); a name left empty (or "#") becomes "Field<ordinal>". The table's code page
// spells the rest.
QString CleanFieldName(const QString& fieldName, int ordinal);
// The column name with duplicate counter `counter`, cut so that both fit the 25
// characters of a Paradox field name.
QString CountedColumnName(const QString& cleaned, int counter);
inline constexpr int kColumnNameLength = 25;

// The Paradox target connection string for `folder`; with `ownerOnly` the driver creates
// tables readable by their owner only (for data from a protected source).
QString TargetConnectionString(const QString& folder, bool ownerOnly = false);
// Opens `connection` on the Paradox folder with the built-in driver.
void OpenTargetConnection(db::Connection& connection, const QString& folder,
                          bool ownerOnly = false);

inline constexpr int kTargetNameLength = 22;

}  // namespace velmora
