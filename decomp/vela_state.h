#pragma once
// Best decomposition of the current VELA stage (filled by the component fits).

namespace qf {

struct VelaBest {};

}  // namespace qf
