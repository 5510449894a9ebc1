#pragma once
// Results of the last phase-plane pass (filled by the phase-plane stage).

namespace qf {

struct TarnoState {};

}  // namespace qf
