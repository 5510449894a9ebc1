// The output files of trpfit: every file written whole or not at all, the
// previous file kept when a write fails, and nothing replaced without being
// asked, checked before the first file is written.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "outputs/atomic_file.h"
#include "outputs/output_set.h"
#include "support/test_support.h"
#include "textio/failure.h"

namespace qf::outputs {
namespace {

namespace fs = std::filesystem;
using qf::testing::readFile;
using qf::testing::ScratchDir;
using qf::testing::writeFile;

// The files in `dir` whose names end in ".part" (a temporary file left over).
int leftovers(const fs::path& dir) {
    int n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) n += entry.path().extension() == ".part";
    return n;
}

FileFailure failureOf(const std::function<void()>& write) {
    try {
        write();
    } catch (const FileFailure& f) {
        return f;
    }
    return FileFailure("", 0, "no failure");
}

TEST(AtomicFile, ReplacesWholeAndKeepsTheModeOfANewFile) {
    ScratchDir dir;
    const fs::path path = dir.path() / "table.csv";
    writeFileAtomically(path, "first\r\n");
    EXPECT_EQ(readFile(path), "first\r\n");
    writeFileAtomically(path, std::string(100000, 'x'));
    EXPECT_EQ(readFile(path), std::string(100000, 'x'));
    writeFileAtomically(path, "");
    EXPECT_EQ(readFile(path), "");
    EXPECT_EQ(leftovers(dir.path()), 0);
    // Readable by others like any file the programs create (umask applies).
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST(AtomicFile, AFailedWriteKeepsThePreviousFileAndNamesPathAndCause) {
    ScratchDir dir;
    // A folder in the way: the write fails at the rename.
    const fs::path blocked = dir.path() / "report.html";
    fs::create_directories(blocked / "inside");
    FileFailure f = failureOf([&] { writeFileAtomically(blocked, "page"); });
    EXPECT_EQ(f.path(), blocked.string());
    EXPECT_EQ(f.line(), 0);
    EXPECT_EQ(f.cause().rfind("cannot write the file: ", 0), 0u) << f.cause();
    EXPECT_EQ(std::string(f.what()), blocked.string() + ": " + f.cause());
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));
    EXPECT_EQ(leftovers(dir.path()), 0);

    // A folder that does not exist: no temporary file can be made.
    f = failureOf([&] { writeFileAtomically(dir.path() / "no" / "table.csv", "x"); });
    EXPECT_EQ(f.cause().rfind("cannot create the file: ", 0), 0u) << f.cause();

    // A write that fails half-way (a file size limit stands in for a full
    // disk): the previous file keeps its bytes.
    const fs::path kept = dir.path() / "kept.csv";
    writeFile(kept, "previous");
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    f = failureOf([&] { writeFileAtomically(kept, std::string(10000, 'y')); });
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(std::string(f.what()), kept.string() + ": cannot write the file: File too large");
    EXPECT_EQ(readFile(kept), "previous");
    EXPECT_EQ(leftovers(dir.path()), 0);

    // A read-only folder (not for root, who may write anyway).
    if (::geteuid() != 0) {
        const fs::path ro = dir.path() / "ro";
        fs::create_directory(ro);
        writeFile(ro / "fit.csv", "previous");
        fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec);
        f = failureOf([&] { writeFileAtomically(ro / "fit.csv", "new"); });
        fs::permissions(ro, fs::perms::owner_all);
        EXPECT_EQ(f.path(), (ro / "fit.csv").string());
        EXPECT_EQ(readFile(ro / "fit.csv"), "previous");
    }
}

TEST(OutputSet, RefusesBeforeWritingAnythingUnlessForced) {
    ScratchDir dir;
    OutputSet set(dir.path() / "out");
    set.add("components.csv", "a");
    set.add("figures/one.svg", "<svg/>");
    set.add("report.html", "page");
    set.claim("figures");
    set.refuseExisting();  // nothing there yet
    const auto written = set.write();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[1], dir.path() / "out" / "figures" / "one.svg");
    EXPECT_EQ(readFile(dir.path() / "out" / "figures" / "one.svg"), "<svg/>");

    // Any one of the files, or the claimed folder, refuses the whole set.
    fs::remove(dir.path() / "out" / "components.csv");
    fs::remove(dir.path() / "out" / "report.html");
    fs::remove(dir.path() / "out" / "figures" / "one.svg");
    FileFailure f = failureOf([&] { set.refuseExisting(); });
    EXPECT_EQ(std::string(f.what()),
              (dir.path() / "out" / "figures").string() + ": exists already; use --force to replace it");
    writeFile(dir.path() / "out" / "report.html", "kept");
    f = failureOf([&] { set.refuseExisting(); });
    EXPECT_EQ(f.path(), (dir.path() / "out" / "report.html").string());
    EXPECT_EQ(readFile(dir.path() / "out" / "report.html"), "kept");
    EXPECT_FALSE(fs::exists(dir.path() / "out" / "components.csv"));

    // A later text of the same name replaces the earlier one.
    set.add("report.html", "page 2");
    EXPECT_EQ(set.paths().size(), 3u);
    set.write();
    EXPECT_EQ(readFile(dir.path() / "out" / "report.html"), "page 2");
}

TEST(OutputSet, AFolderThatCannotBeMadeIsNamed) {
    ScratchDir dir;
    writeFile(dir.path() / "figures", "a file where the folder goes");
    OutputSet set(dir.path());
    set.add("figures/one.svg", "<svg/>");
    const FileFailure f = failureOf([&] { set.write(); });
    EXPECT_EQ(f.path(), (dir.path() / "figures").string());
    EXPECT_EQ(f.cause().rfind("cannot create the folder: ", 0), 0u) << f.cause();
    EXPECT_EQ(readFile(dir.path() / "figures"), "a file where the folder goes");
}

}  // namespace
}  // namespace qf::outputs
