#include "batch/inputs.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include <sys/stat.h>

#include "driver/run_steps.h"
#include "outputs/output_names.h"

namespace qf::batch {

namespace fs = std::filesystem;

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
    static const char* const names[] = {outputs::kRunsTable, outputs::kComponentsTable,
                                        outputs::kContributionsTable, outputs::kIndexPage};
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

std::optional<Program> programFromHead(std::string_view head, std::string& why) {
    // Line 2 decides, read exactly as the programs read it.
    return programFromLineTwo(head, why);
}

std::optional<Program> detectProgram(const std::string& path, std::string& why) {
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
