#include "support/test_support.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

#include <gtest/gtest.h>

#include "textio/failure.h"
#include "textio/fpcheck.h"

namespace qf::testing {

ScratchDir::ScratchDir() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("qf-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::filesystem::path sourcePath(const std::string& relative) {
    return std::filesystem::path(QF_SOURCE_DIR) / relative;
}

std::string firstDifference(const std::string& actual, const std::string& expected) {
    if (actual == expected) return "";
    std::size_t line = 1, start = 0;
    const std::size_t n = std::min(actual.size(), expected.size());
    std::size_t at = 0;
    while (at < n && actual[at] == expected[at]) {
        if (actual[at] == '\n') {
            ++line;
            start = at + 1;
        }
        ++at;
    }
    const auto lineAt = [start](const std::string& text) {
        if (start >= text.size()) return std::string("(end of text)");
        const std::size_t end = text.find('\n', start);
        return "\"" + text.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\"";
    };
    return "first difference at line " + std::to_string(line) + "\n  expected: " + lineAt(expected) +
           "\n  actual:   " + lineAt(actual) + "\n  sizes: " + std::to_string(expected.size()) + " expected, " +
           std::to_string(actual.size()) + " actual";
}

void expectFailure(const std::function<void()>& f, const std::string& words) {
    try {
        f();
        ADD_FAILURE() << "no failure, expected: " << words;
    } catch (const RunFailure& e) {
        EXPECT_NE(std::string(e.what()).find(words), std::string::npos) << e.what();
    }
    fp::clear();
}

}  // namespace qf::testing
