#include "batch/run_table.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "results/tables.h"
#include "textio/csv_text.h"

namespace qf::batch {

namespace fs = std::filesystem;

namespace {

constexpr const char* kStatusNames[] = {"ok", "failed", "crashed", "timeout", "interrupted", "suspect"};

// Messages and warnings stay on one line in every table.
std::string oneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

std::string secondsText(double s) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", s);
    return buf;
}

bool parseSeconds(const std::string& text, double& value) {
    if (text.empty()) return false;
    std::size_t used = 0;
    try {
        value = std::stod(text, &used);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size() && std::isfinite(value) && value >= 0.0;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    if (from.empty() || from == to) return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

const char* statusName(RunStatus s) { return kStatusNames[static_cast<int>(s)]; }

std::optional<RunStatus> statusFromName(std::string_view name) {
    for (int i = 0; i < 6; ++i) {
        if (name == kStatusNames[i]) return static_cast<RunStatus>(i);
    }
    return std::nullopt;
}

std::string csvField(std::string_view raw) { return text::csvField(raw); }

std::optional<std::vector<std::vector<std::string>>> parseCsv(std::string_view text,
                                                              std::string& error) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string field;
    int line = 1;
    std::size_t i = 0;
    bool rowOpen = false;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"' && field.empty()) {
            // Quoted field: up to the closing quote; "" is one quote.
            const int startLine = line;
            ++i;
            for (;;) {
                if (i >= text.size()) {
                    error = "line " + std::to_string(startLine) + ": quoted field not closed";
                    return std::nullopt;
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                if (text[i] == '\n') ++line;
                field += text[i++];
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\r' && text[i] != '\n') {
                error = "line " + std::to_string(line) + ": text after a quoted field";
                return std::nullopt;
            }
            rowOpen = true;
            // An empty quoted field is still a field; mark it by leaving
            // rowOpen set and continue with the delimiter.
            if (i >= text.size()) break;
            continue;
        }
        if (c == '"') {
            error = "line " + std::to_string(line) + ": quote inside an unquoted field";
            return std::nullopt;
        }
        if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
            rowOpen = true;
            ++i;
            continue;
        }
        if (c == '\r' || c == '\n') {
            if (c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
                error = "line " + std::to_string(line) + ": carriage return without line feed";
                return std::nullopt;
            }
            i += c == '\r' ? 2 : 1;
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            rowOpen = false;
            ++line;
            continue;
        }
        field += c;
        rowOpen = true;
        ++i;
    }
    if (rowOpen) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

void writeRunsCsv(std::ostream& out, const std::vector<RunRecord>& records) {
    out << kRunsHeader << "\r\n";
    for (const RunRecord& r : records) {
        out << csvField(r.file) << ',' << csvField(r.folder) << ',' << r.program << ','
            << statusName(r.status) << ',' << r.exitStatus << ',' << csvField(oneLine(r.message))
            << ',' << csvField(oneLine(r.warnings)) << ',' << secondsText(r.seconds) << "\r\n";
    }
}

std::optional<std::vector<RunRecord>> readRunsCsv(std::string_view text, std::string& error) {
    const auto rows = parseCsv(text, error);
    if (!rows) return std::nullopt;
    if (rows->empty()) {
        error = "line 1: empty table";
        return std::nullopt;
    }
    std::string header;
    for (std::size_t i = 0; i < (*rows)[0].size(); ++i) header += (i ? "," : "") + (*rows)[0][i];
    if (header != kRunsHeader) {
        error = "line 1: not the heading of a runs table";
        return std::nullopt;
    }
    std::vector<RunRecord> records;
    for (std::size_t n = 1; n < rows->size(); ++n) {
        const std::vector<std::string>& f = (*rows)[n];
        const std::string where = "row " + std::to_string(n + 1) + ": ";
        if (f.size() != 8) {
            error = where + std::to_string(f.size()) + " fields, not 8";
            return std::nullopt;
        }
        RunRecord r;
        r.file = f[0];
        r.folder = f[1];
        r.program = f[2];
        const auto status = statusFromName(f[3]);
        if (!status) {
            error = where + "unknown status \"" + f[3] + "\"";
            return std::nullopt;
        }
        r.status = *status;
        r.exitStatus = f[4];
        r.message = f[5];
        r.warnings = f[6];
        if (!parseSeconds(f[7], r.seconds)) {
            error = where + "seconds \"" + f[7] + "\" is not a number";
            return std::nullopt;
        }
        records.push_back(std::move(r));
    }
    return records;
}

void writeMarker(const fs::path& folder, const RunRecord& r, const std::string& version) {
    std::ostringstream text;
    text << "version=" << version << "\n"
         << "file=" << oneLine(r.file) << "\n"
         << "program=" << r.program << "\n"
         << "status=" << statusName(r.status) << "\n"
         << "exit_status=" << r.exitStatus << "\n"
         << "message=" << oneLine(r.message) << "\n"
         << "warnings=" << oneLine(r.warnings) << "\n"
         << "seconds=" << secondsText(r.seconds) << "\n";
    std::string error;
    writeFileAtomically(folder / kMarkerName, text.str(), error);
}

std::optional<Marker> readMarker(const fs::path& folder) {
    std::ifstream in(folder / kMarkerName, std::ios::binary);
    if (!in) return std::nullopt;
    Marker m;
    m.record.folder = folder.filename().string();
    std::string line;
    int seen = 0;
    while (std::getline(in, line) && line.size() < 65536) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) return std::nullopt;
        const std::string key = line.substr(0, eq);
        std::string value = line.substr(eq + 1);
        ++seen;
        if (key == "version") {
            m.version = value;
        } else if (key == "file") {
            m.record.file = value;
        } else if (key == "program") {
            m.record.program = value;
        } else if (key == "status") {
            const auto s = statusFromName(value);
            if (!s) return std::nullopt;
            m.record.status = *s;
        } else if (key == "exit_status") {
            m.record.exitStatus = value;
        } else if (key == "message") {
            m.record.message = value;
        } else if (key == "warnings") {
            m.record.warnings = value;
        } else if (key == "seconds") {
            if (!parseSeconds(value, m.record.seconds)) return std::nullopt;
        } else {
            --seen;
        }
    }
    if (seen != 8) return std::nullopt;
    return m;
}

void splitErrorText(const std::string& errText, const std::string& program,
                    const std::string& passedName, const std::string& shownName,
                    std::string& message, std::string& warnings) {
    const std::string prefix = program + ": ";
    const std::string warningPrefix = prefix + "warning: ";
    std::istringstream in(errText);
    std::string line;
    message.clear();
    warnings.clear();
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        replaceAll(line, passedName, shownName);
        if (line.rfind(warningPrefix, 0) == 0) {
            if (!warnings.empty()) warnings += "; ";
            warnings += line.substr(warningPrefix.size());
        } else if (line.rfind(prefix, 0) == 0) {
            message = line.substr(prefix.size());
        } else {
            message = line;
        }
    }
}

bool writeFileAtomically(const fs::path& path, const std::string& text, std::string& error) {
    const fs::path temp = path.string() + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            error = "cannot write " + temp.string();
            std::error_code ec;
            fs::remove(temp, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        error = "cannot write " + path.string() + ": " + ec.message();
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace qf::batch
