#include "textio/report_writer.h"

#include <cerrno>
#include <cmath>
#include <cstring>

#include "textio/failure.h"
#include "textio/fpcheck.h"
#include "textio/number_text.h"

namespace qf {

namespace {
constexpr std::size_t kFlushThreshold = 1 << 16;
// Print zones: "," moves to the next column 1 + 14k.
constexpr int kZoneWidth = 14;
}  // namespace

// ---------------------------------------------------------------- layout

void ReportSink::emit(std::string_view chars) {
    put(chars);
    for (char c : chars) {
        if (c == '\n') {
            column_ = 1;
        } else if (c != '\r') {
            ++column_;
        }
    }
}

void ReportSink::guardNumber(double value) {
    if (!mustStop()) return;
    const std::string text = std::isnan(value)   ? "NaN"
                             : std::isinf(value) ? (value > 0 ? "infinity" : "-infinity")
                                                 : numberText(value);
    before("the number " + text);
}

void ReportSink::applySeparator(Sep sep) {
    switch (sep) {
        case Sep::Join:
            break;
        case Sep::Zone: {
            // Next zone start: the smallest 1 + 14k greater than the column.
            const int next = ((column_ - 1) / kZoneWidth + 1) * kZoneWidth + 1;
            emit(std::string(static_cast<std::size_t>(next - column_), ' '));
            break;
        }
        case Sep::End:
            emit("\r\n");
            break;
    }
}

void ReportSink::printText(std::string_view text, Sep sep) {
    if (mustStop()) before("\"" + std::string(text.substr(0, 40)) + (text.size() > 40 ? "...\"" : "\""));
    emit(text);
    applySeparator(sep);
}

void ReportSink::printNumber(double value, Sep sep) {
    guardNumber(value);
    const std::string digits = numberText(value);
    std::string item;
    if (digits[0] != '-') item += ' ';  // the sign place
    item += digits;
    item += ' ';
    emit(item);
    applySeparator(sep);
}

void ReportSink::tab(int n) {
    if (mustStop()) before("Tab(" + std::to_string(n) + ")");
    if (column_ < n) {
        emit(std::string(static_cast<std::size_t>(n - column_), ' '));
    } else if (column_ > n) {
        emit("\r\n");
        emit(std::string(static_cast<std::size_t>(n - 1), ' '));
    }
}

void ReportSink::endLine() {
    if (mustStop()) before("the end of a line");
    emit("\r\n");
}

void ReportSink::writeNumber(double value, Sep sep) {
    guardNumber(value);
    emit(numberText(value));
    if (sep == Sep::End) {
        emit("\r\n");
    } else {
        emit(",");
    }
}

// ---------------------------------------------------------------- files

ReportWriter::~ReportWriter() {
    if (file_ != nullptr) {
        // Normal closing happens through close(); here we only keep what was
        // written when a run ends by failure.
        if (!buffer_.empty()) std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        std::fclose(file_);
    }
}

void ReportWriter::create(const std::string& path, std::string role) {
    role_ = std::move(role);
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        fail("cannot create the " + role_ + " \"" + path + "\": " + std::strerror(errno));
    }
    column_ = 1;
}

void ReportWriter::openInMemory(std::string role) {
    role_ = std::move(role);
    inMemory_ = true;
    column_ = 1;
}

void ReportWriter::holdFor(const ReportWriter& target) {
    role_ = target.role_;
    inMemory_ = true;
    memory_.clear();
    column_ = target.column_;
}

void ReportWriter::append(const ReportWriter& held) {
    if (mustStop()) before("held lines");
    emit(held.memory_);
}

bool ReportWriter::mustStop() const { return fp::raised(); }

void ReportWriter::before(std::string_view item) {
    fp::check("the " + role_ + ", before writing " + std::string(item));
}

void ReportWriter::put(std::string_view chars) {
    if (inMemory_) {
        memory_.append(chars);
    } else {
        buffer_.append(chars);
        if (buffer_.size() >= kFlushThreshold) flush();
    }
}

void ReportWriter::flush() {
    if (file_ == nullptr || buffer_.empty()) return;
    const std::size_t written = std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    const bool ok = written == buffer_.size() && std::fflush(file_) == 0;
    buffer_.clear();
    if (!ok) {
        const int err = errno;
        fail("cannot write the " + role_ + " \"" + path_ + "\": " + std::strerror(err));
    }
}

void ReportWriter::close() {
    if (file_ == nullptr) return;
    flush();
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) {
        const int err = errno;
        fail("cannot write the " + role_ + " \"" + path_ + "\": " + std::strerror(err));
    }
}

}  // namespace qf
