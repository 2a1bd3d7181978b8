#pragma once
// velmora-convert --batch on the whole Access corpus, measured in the conversion
// benchmark's run: every database in one command with the passwords from a map built
// from the corpus's README, a resumed run, the JSON totals against single runs of each
// database, and two databases at a time against one over the small databases.

#include <QString>

namespace velmora::bench {

// `unpacked`: a folder holding the corpus's compressed databases unpacked. Prints the
// figures; false when one is not as it must be.
bool MeasureBatches(const QString& corpus, const QString& unpacked, const QString& work,
                    const QString& bin);

}  // namespace velmora::bench
