#include "batch/inputs.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include "textio/data_reader.h"

namespace qf::batch {

namespace fs = std::filesystem;

const char* analysisName(Analysis a) { return a == Analysis::Quenfit ? "quenfit" : "monofit"; }

namespace {

bool hidden(const fs::path& p) {
    const std::string name = p.filename().string();
    return !name.empty() && name[0] == '.';
}

bool sameEntry(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

// The files a batch writes into its output folder, never inputs themselves.
bool batchOutput(const fs::path& p) {
    static const char* const names[] = {"runs.csv", "components.csv", "contributions.csv",
                                        "index.html"};
    const std::string name = p.filename().string();
    for (const char* n : names) {
        if (name == n || name == std::string(n) + ".part") return true;
    }
    return false;
}

void addFolder(const fs::path& folder, bool recursive, const fs::path& outDir,
               std::vector<Input>& found) {
    std::error_code ec;
    const bool isOutDir = sameEntry(folder, outDir);
    fs::directory_iterator it(folder, ec), end;
    if (ec) {
        found.push_back({folder.string(), "", "cannot read the folder: " + ec.message()});
        return;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) break;
        const fs::path p = it->path();
        if (hidden(p)) continue;
        std::error_code sec;
        if (it->is_directory(sec)) {
            if (recursive && !sameEntry(p, outDir)) addFolder(p, recursive, outDir, found);
        } else if (it->is_regular_file(sec) && !(isOutDir && batchOutput(p))) {
            found.push_back({p.string(), "", ""});
        }
        // Sockets, pipes and devices in a folder are not data files of anyone's.
    }
}

// Splits line 2 into fields the way the data file reader does: blanks (space
// or tab) and one comma separate fields.
std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (i < line.size()) {
        while (i < line.size() && blank(line[i])) ++i;
        if (i >= line.size()) break;
        std::size_t j = i;
        while (j < line.size() && !blank(line[j]) && line[j] != ',') ++j;
        fields.push_back(line.substr(i, j - i));
        while (j < line.size() && blank(line[j])) ++j;
        if (j < line.size() && line[j] == ',') ++j;
        i = j;
    }
    return fields;
}

}  // namespace

std::vector<Input> collectInputs(const std::vector<std::string>& names, bool recursive,
                                 const fs::path& outDir) {
    std::vector<Input> found;
    for (const std::string& name : names) {
        std::error_code ec;
        const fs::file_status st = fs::status(name, ec);
        if (fs::is_directory(st)) {
            addFolder(name, recursive, outDir, found);
        } else if (fs::exists(st)) {
            found.push_back({name, "", ""});
        } else {
            found.push_back({name, "", "no such file or folder"});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Input& a, const Input& b) { return a.path < b.path; });
    // A file named twice, or named and found in a named folder, runs once.
    std::vector<Input> unique;
    std::set<std::string> paths;
    std::set<std::pair<dev_t, ino_t>> files;
    for (Input& in : found) {
        if (!paths.insert(in.path).second) continue;
        struct stat st {};
        if (in.problem.empty() && ::stat(in.path.c_str(), &st) == 0 &&
            !files.insert({st.st_dev, st.st_ino}).second) {
            continue;
        }
        unique.push_back(std::move(in));
    }
    return unique;
}

void assignFolders(std::vector<Input>& inputs) {
    std::set<std::string> taken;
    for (Input& in : inputs) {
        std::string base = fs::path(in.path).stem().string();
        if (base.empty() || base == "." || base == "..") base = "input";
        std::string name = base;
        for (int k = 2; taken.count(name) != 0; ++k) name = base + "-" + std::to_string(k);
        taken.insert(name);
        in.folder = name;
    }
}

std::optional<Analysis> programFromHead(std::string_view head, std::string& why) {
    if (head.empty()) {
        why = "empty file, not a data file";
        return std::nullopt;
    }
    const std::size_t end1 = head.find('\n');
    if (end1 == std::string::npos) {
        why = "not a data file: no line 2";
        return std::nullopt;
    }
    std::size_t end2 = head.find('\n', end1 + 1);
    if (end2 == std::string::npos) end2 = head.size();
    std::string_view line2 = head.substr(end1 + 1, end2 - end1 - 1);
    if (!line2.empty() && line2.back() == '\r') line2.remove_suffix(1);
    const std::vector<std::string_view> fields = fieldsOf(line2);
    for (std::string_view f : fields) {
        double v = 0.0;
        if (!DataReader::parseNumber(f, v)) {
            // The text goes into tables and a page: control bytes are shown as '?'.
            std::string shown(f.substr(0, 40));
            for (char& c : shown) {
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
            }
            why = "not a data file: line 2 holds \"" + shown + "\", not a number";
            return std::nullopt;
        }
    }
    if (fields.empty()) {
        why = "not a data file: line 2 is empty";
        return std::nullopt;
    }
    if (fields.size() == 3) return Analysis::Monofit;
    if (fields.size() >= 5) return Analysis::Quenfit;
    why = "not a data file: line 2 holds " + std::to_string(fields.size()) +
          " numbers (3 for a single spectrum, 5 for a quenching series)";
    return std::nullopt;
}

std::optional<Analysis> detectProgram(const std::string& path, std::string& why) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        why = "not a regular file";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot be opened";
        return std::nullopt;
    }
    // Two lines are enough; a file without line ends is read no further than
    // a data file's line could reasonably be.
    constexpr std::size_t kMaxHead = 1 << 16;
    std::string head(kMaxHead, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return programFromHead(head, why);
}

std::vector<Input> shardOf(const std::vector<Input>& inputs, int k, int n) {
    std::vector<Input> part;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (static_cast<int>(i % static_cast<std::size_t>(n)) == k - 1) part.push_back(inputs[i]);
    }
    return part;
}

}  // namespace qf::batch
