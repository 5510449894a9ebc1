#include "batch/run_table.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "outputs/atomic_file.h"
#include "outputs/output_names.h"
#include "textio/csv_text.h"
#include "textio/failure.h"

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

namespace {

const std::vector<std::string> kRunsColumns = {"file",      "folder",  "program",  "status",
                                               "exit_status", "message", "warnings", "seconds"};

}  // namespace

std::string runsCsv(const std::vector<RunRecord>& records) {
    text::CsvWriter csv;
    csv.row(kRunsColumns);
    for (const RunRecord& r : records) {
        csv.add(r.file).add(r.folder).add(r.program).add(statusName(r.status)).add(r.exitStatus);
        csv.add(oneLine(r.message)).add(oneLine(r.warnings)).add(secondsText(r.seconds)).end();
    }
    return csv.text();
}

std::vector<RunRecord> readRunsCsv(std::string_view text, const std::string& path) {
    const text::CsvTable table = text::CsvTable::parse(text, path);
    if (table.heading() != kRunsColumns) throw FileFailure(path, 1, "not the heading of a runs table");
    std::vector<RunRecord> records;
    for (std::size_t n = 0; n < table.size(); ++n) {
        const std::vector<std::string>& f = table.fields(n);
        if (f.size() != kRunsColumns.size()) {
            throw FileFailure(path, table.lineOf(n), std::to_string(f.size()) + " fields, not 8");
        }
        RunRecord r;
        r.file = f[0];
        r.folder = f[1];
        r.program = f[2];
        const auto status = statusFromName(f[3]);
        if (!status) throw FileFailure(path, table.lineOf(n), "unknown status \"" + f[3] + "\"");
        r.status = *status;
        r.exitStatus = f[4];
        r.message = f[5];
        r.warnings = f[6];
        if (!parseSeconds(f[7], r.seconds)) {
            throw FileFailure(path, table.lineOf(n), "seconds \"" + f[7] + "\" is not a number");
        }
        records.push_back(std::move(r));
    }
    return records;
}

void writeMarker(const fs::path& folder, const RunRecord& r, const std::string& version, bool globalFit) {
    std::ostringstream text;
    text << "version=" << version << "\n"
         << "file=" << oneLine(r.file) << "\n"
         << "program=" << r.program << "\n"
         << "status=" << statusName(r.status) << "\n"
         << "exit_status=" << r.exitStatus << "\n"
         << "message=" << oneLine(r.message) << "\n"
         << "warnings=" << oneLine(r.warnings) << "\n"
         << "seconds=" << secondsText(r.seconds) << "\n"
         << "global_fit=" << (globalFit ? "yes" : "no") << "\n";
    outputs::writeFileAtomically(folder / outputs::kRunMarker, text.str());
}

std::optional<Marker> readMarker(const fs::path& folder) {
    std::ifstream in(folder / outputs::kRunMarker, std::ios::binary);
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
        } else if (key == "global_fit") {
            m.globalFit = value == "yes";
            --seen;  // an optional key: markers of earlier versions lack it
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

}  // namespace qf::batch
