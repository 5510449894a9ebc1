#include "instrument/checked_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "textio/failure.h"

namespace qf::instrument {

namespace {

// A file next to the output that is removed unless it is put in place.
class TempFile {
public:
    explicit TempFile(const std::string& output) {
        std::string pattern = output + ".trpfit-XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) throw FileFailure(output, 0, std::string("cannot create the file: ") + std::strerror(errno));
        // mkstemp makes the file private; a data file gets the usual mode.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        ::close(fd);
        path_ = pattern;
    }
    ~TempFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    void release() { path_.clear(); }

private:
    std::string path_;
};

void writeText(const std::string& path, const std::string& shown, const std::string& text) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) throw FileFailure(shown, 0, std::string("cannot write the file: ") + std::strerror(errno));
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) throw FileFailure(shown, 0, std::string("cannot write the file: ") + std::strerror(errno));
}

// Puts the checked file in place; without `force` an existing file stays.
void putInPlace(TempFile& temp, const std::string& output, bool force) {
    if (force) {
        if (std::rename(temp.path().c_str(), output.c_str()) != 0) {
            throw FileFailure(output, 0, std::string("cannot write the file: ") + std::strerror(errno));
        }
        temp.release();
        return;
    }
    if (::link(temp.path().c_str(), output.c_str()) == 0) return;  // the temp file goes
    if (errno == EEXIST) throw FileFailure(output, 0, "the file exists; say --force to overwrite it");
    // A file system without hard links.
    std::error_code ec;
    if (std::filesystem::exists(output, ec)) throw FileFailure(output, 0, "the file exists; say --force to overwrite it");
    if (std::rename(temp.path().c_str(), output.c_str()) != 0) {
        throw FileFailure(output, 0, std::string("cannot write the file: ") + std::strerror(errno));
    }
    temp.release();
}

}  // namespace

void writeCheckedFile(const std::string& output, const std::string& text, bool force,
                      const std::function<void(const std::string& path)>& check) {
    TempFile temp(output);
    writeText(temp.path(), output, text);
    check(temp.path());
    putInPlace(temp, output, force);
}

}  // namespace qf::instrument
