#pragma once
// A whole file read as its bytes, for the files the tools read back (the
// reports, the tables of earlier runs).

#include <string>

namespace qf {

// The content of the file at `path`. Throws FileFailure {path, 0,
// cannotOpen} when it cannot be opened and {path, 0, cannotRead} when the
// reading fails part way.
std::string readFileText(const std::string& path, const std::string& cannotOpen = "cannot be read",
                         const std::string& cannotRead = "cannot be read");

}  // namespace qf
