#pragma once

namespace qf::trpfit {

// The version of this build of trpfit, quenfit and monofit.
const char* programVersion();

}  // namespace qf::trpfit
