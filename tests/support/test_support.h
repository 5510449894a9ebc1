#pragma once
// Helpers shared by the tests: scratch folders, whole-file reads and writes.

#include <bit>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace qf::testing {

// A fresh, empty folder below the system's temporary folder; removed when the
// object goes out of scope.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& text);

// Path below the project's source folder (examples/, tests/golden/ ...).
std::filesystem::path sourcePath(const std::string& relative);

// The bits of a double, for comparisons that must hold to the last bit.
inline std::uint64_t bits(double v) { return std::bit_cast<std::uint64_t>(v); }

// The first line (1-based, lines ended by LF) where two report texts differ,
// both versions of it, and the two sizes; "" when the texts are equal.
std::string firstDifference(const std::string& actual, const std::string& expected);

// Expects f to end the run with a message containing `words`; clears the
// arithmetic-failure flags afterwards.
void expectFailure(const std::function<void()>& f, const std::string& words);

}  // namespace qf::testing
