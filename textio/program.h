#pragma once
// The two analysers built from the same libraries: quenfit decomposes a
// quenching series, monofit a single spectrum.

namespace qf {

enum class Program { Quenfit, Monofit };

}  // namespace qf
