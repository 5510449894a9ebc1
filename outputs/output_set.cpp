#include "outputs/output_set.h"

#include <system_error>
#include <utility>

#include "outputs/atomic_file.h"
#include "textio/failure.h"

namespace qf::outputs {

namespace fs = std::filesystem;

OutputSet::OutputSet(fs::path folder) : folder_(folder.empty() ? fs::path(".") : std::move(folder)) {}

void OutputSet::add(const std::string& name, std::string text) {
    for (File& f : files_) {
        if (f.name == name) {
            f.text = std::move(text);
            return;
        }
    }
    files_.push_back({name, std::move(text)});
}

void OutputSet::claim(const std::string& name) { claimed_.push_back(name); }

std::vector<fs::path> OutputSet::paths() const {
    std::vector<fs::path> out;
    for (const File& f : files_) out.push_back(folder_ / f.name);
    return out;
}

void OutputSet::refuseExisting() const {
    std::vector<std::string> names;
    for (const File& f : files_) names.push_back(f.name);
    names.insert(names.end(), claimed_.begin(), claimed_.end());
    for (const std::string& name : names) {
        std::error_code ec;
        const fs::path path = folder_ / name;
        if (fs::exists(fs::symlink_status(path, ec))) {
            throw FileFailure(path.string(), 0, "exists already; use --force to replace it");
        }
    }
}

std::vector<fs::path> OutputSet::write() const {
    std::vector<fs::path> written;
    for (const File& f : files_) {
        const fs::path path = folder_ / f.name;
        const fs::path parent = path.parent_path();
        std::error_code ec;
        if (!fs::is_directory(parent, ec)) {
            fs::create_directories(parent, ec);
            if (ec) throw FileFailure(parent.string(), 0, "cannot create the folder: " + ec.message());
        }
        writeFileAtomically(path, f.text);
        written.push_back(path);
    }
    return written;
}

}  // namespace qf::outputs
