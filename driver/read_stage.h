#pragma once
// The two ways the run reads the data file: the first pass over the whole
// grid (with its echo, the correction curve and the normalized spectra in the
// graph file) and the analysis read of the 320-380 nm window at the head of
// every stage.

#include "driver/run_state.h"

namespace qf {

// A reader at the top of the run's data text, loaded from run.dataPath on
// first use when the run was given no text.
DataReader freshDataReader(RunState& run);

void firstPass(RunState& run);
void analysisRead(RunState& run);

}  // namespace qf
