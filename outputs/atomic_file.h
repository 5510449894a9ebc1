#pragma once
// Writing one file whole or not at all.

#include <filesystem>
#include <string_view>

namespace qf::outputs {

// Writes `text` to `path` through a temporary file in the same folder,
// renamed over `path` once it holds every byte: a reader never sees half a
// file, and when anything fails the temporary file is removed and a file
// that was at `path` keeps its bytes. Throws FileFailure(path, 0, cause).
void writeFileAtomically(const std::filesystem::path& path, std::string_view text);

}  // namespace qf::outputs
