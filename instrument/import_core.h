#pragma once
// The import on a source of texts, shared by the command line (files on
// disk) and the in-memory import (texts handed over). Internal to the
// instrument library.

#include <functional>

#include "instrument/import_text.h"
#include "instrument/requests.h"
#include "textio/failure.h"

namespace qf::instrument {

// Options that contradict each other or cannot be read: the import ends
// as ImportOutcome::ContradictoryOptions.
class UsageError : public RunFailure {
public:
    using RunFailure::RunFailure;
};

// Checks the options, calls `beforeReading` (the command line refuses an
// existing output there), then reads, chooses and writes the data file's
// text. Every failure ends up in the result.
ImportTextResult importWith(const ImportOptions& options, const TextSource& source,
                            const std::function<void()>& beforeReading);

}  // namespace qf::instrument
