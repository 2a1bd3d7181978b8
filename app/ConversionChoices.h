#pragma once
// The conversion choices of the Options dialog, each the twin of a command-line option and
// given to the run through the same setting, kept in the settings store.

#include "app/SettingsStore.h"

namespace velmora {

struct ConversionChoices {
    bool replaceUnmappable = false;  // --unmappable replace
    bool keepBinary = false;         // --keep-binary
    int jet3CodePage = 0;            // --jet3-code-page; 0 keeps the one the header names
    bool verify = true;              // --verify, on in the windows unless turned off
    bool rejectsFile = false;        // --rejects, into the Paradox folder
    bool strictReading = false;      // --strict: a damaged table refused whole
};

// A missing or unreadable value gives its default.
ConversionChoices ReadConversionChoices(const SettingsStore& settings);
// False when the store could not be written.
bool WriteConversionChoices(SettingsStore& settings, const ConversionChoices& choices);

}  // namespace velmora
