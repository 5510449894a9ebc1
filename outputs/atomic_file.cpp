#include "outputs/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

#include "textio/failure.h"

namespace qf::outputs {

namespace fs = std::filesystem;

namespace {

std::string errnoText(int error) { return std::strerror(error); }

// A name beside `path` that no other writer uses: the process id and a
// counter tell apart concurrent writers of the same file.
fs::path temporaryBeside(const fs::path& path, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const unsigned n = counter.fetch_add(1) + attempt;
    return path.parent_path() / ("." + path.filename().string() + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(n) + ".part");
}

// Writes every byte; false with errno set when the file will not take them.
bool writeAll(int fd, std::string_view text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

void writeFileAtomically(const fs::path& path, std::string_view text) {
    fs::path temp;
    int fd = -1;
    for (unsigned attempt = 0; fd < 0; ++attempt) {
        temp = temporaryBeside(path, attempt);
        // The mode of a plain new file (the umask applies), not that of mkstemp.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && (errno != EEXIST || attempt > 100)) {
            throw FileFailure(path.string(), 0, "cannot create the file: " + errnoText(errno));
        }
    }
    const bool written = writeAll(fd, text);
    const int writeError = errno;
    const bool closed = ::close(fd) == 0;
    const int closeError = errno;
    if (!written || !closed) {
        ::unlink(temp.c_str());
        throw FileFailure(path.string(), 0, "cannot write the file: " + errnoText(written ? closeError : writeError));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        throw FileFailure(path.string(), 0, "cannot write the file: " + errnoText(error));
    }
}

}  // namespace qf::outputs
