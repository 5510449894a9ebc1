#include "trpfit/version.h"

namespace qf::trpfit {

const char* programVersion() { return QF_VERSION; }

}  // namespace qf::trpfit
