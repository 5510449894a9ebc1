#pragma once
// Run-time failures: any condition that ends a run (an unreadable field, a
// division by zero, a capacity exceeded) is thrown as RunFailure and caught
// once by the program's entry point, which prints the message and exits 1.

#include <stdexcept>
#include <string>

namespace qf {

class RunFailure : public std::runtime_error {
public:
    explicit RunFailure(const std::string& what) : std::runtime_error(what) {}
};

[[noreturn]] inline void fail(const std::string& message) { throw RunFailure(message); }

}  // namespace qf
