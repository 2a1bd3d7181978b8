#pragma once
// The code page a new table is written in, and names spelled so that it holds them.

#include <QString>
#include <QStringList>

#include "engine/ColumnProfile.h"

namespace velmora {

// The code page that holds every row and name of the table, else the one holding the
// most rows (see text::chooseTableCodePage).
int ChooseCodePage(const TableProfile& profile, const QStringList& names);

// The name as the code page can hold it: letters without their accents where the code
// page lacks the accented one (Ü to U), anything else it lacks as "_".
QString BestFitName(const QString& name, int codePage);

}  // namespace velmora
