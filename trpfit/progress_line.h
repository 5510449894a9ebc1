#pragma once
// The progress line of `trpfit run` on a terminal: done and failed runs,
// time elapsed and an estimate of the time left, redrawn in place at most
// four times a second.

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>

namespace qf::trpfit {

// "m:ss" or "h:mm:ss".
std::string clockText(double seconds);

using Clock = std::chrono::steady_clock;

class Progress {
public:
    Progress(bool on, std::ostream& err) : on_(on), err_(err), start_(Clock::now()) {}
    void update(std::size_t done, std::size_t failed, std::size_t total, bool force) {
        if (!on_) return;
        const Clock::time_point now = Clock::now();
        if (!force && now - shown_ < std::chrono::milliseconds(250)) return;
        shown_ = now;
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        std::string line = "trpfit: " + std::to_string(done) + "/" + std::to_string(total) + " done, " +
                           std::to_string(failed) + " failed, " + clockText(elapsed) + " elapsed";
        if (done > 0 && done < total) {
            const double left = elapsed / static_cast<double>(done) * static_cast<double>(total - done);
            line += ", about " + clockText(left) + " left";
        }
        err_ << "\r" << line << "\x1b[K" << std::flush;
        shownAny_ = true;
    }
    // Takes the line away, before another line is written or at the end.
    void clear() {
        if (on_ && shownAny_) err_ << "\r\x1b[K" << std::flush;
        shownAny_ = false;
    }

private:
    bool on_;
    std::ostream& err_;
    Clock::time_point start_;
    Clock::time_point shown_{};
    bool shownAny_ = false;
};

}  // namespace qf::trpfit
