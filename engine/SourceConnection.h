#pragma once
// The Access source: its connection string and the start-up check that the provider
// can be loaded at all.

#include <QString>

#include "common/DesktopOpener.h"
#include "common/MainInputs.h"
#include "common/Prompts.h"
#include "dataaccess/Connection.h"

namespace velmora {

// With an empty `file`, the path and password come from the main window's entries.
// A non-empty password marks the process non-dumpable (engine/SecretMemory.h).
QString SourceConnectionString(const QString& file, const QString& password,
                               const MainInputs& inputs);

// Opens `connection` on the main window's database with its password; the copies of the
// connection string made on the way are overwritten afterwards.
void OpenSourceConnection(db::Connection& connection, const MainInputs& inputs);

// True when the database at `file` opens only with a password: a Jet database password,
// or an encrypted .accdb. False for files that open without one, and for files that do
// not open for another reason (which the real open then reports).
bool SourceNeedsPassword(const QString& file);

// The one message of a source that cannot be opened: the file and the reason.
QString SourceFailureText(const QString& file, const QString& reason);

QString ProviderGuidanceMessage();

// True when the Access provider can be created. When it is missing, explains what to
// install and, on Yes, opens the two download pages; returns false in every failure.
bool CheckProvider(Prompts& prompts, DesktopOpener& opener);

}  // namespace velmora
