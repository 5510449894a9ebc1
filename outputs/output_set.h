#pragma once
// The files one command writes into one output folder, made in memory
// first and then written together:
//
//   OutputSet set(dir);
//   set.add(kReportPage, page);
//   set.add("figures/tarno-residuals.svg", svg);
//   set.claim(kFiguresFolder);     // a folder of ours that must not exist either
//   if (!force) set.refuseExisting();
//   for (const auto& path : set.write()) ...
//
// The check that nothing is overwritten without being asked is here and
// nowhere else: it runs before the first file is written, so a refused
// command leaves the folder as it was. Every file is written atomically
// (outputs/atomic_file.h).

#include <filesystem>
#include <string>
#include <vector>

namespace qf::outputs {

class OutputSet {
public:
    explicit OutputSet(std::filesystem::path folder);

    // A file by its name relative to the folder ("components.csv",
    // "figures/vela-ii-residuals.svg"). A later file of the same name
    // replaces the earlier one's text.
    void add(const std::string& name, std::string text);
    // A name (a folder) that, besides the files, must not exist without --force.
    void claim(const std::string& name);

    const std::filesystem::path& folder() const { return folder_; }
    // The paths of the files, in the order added.
    std::vector<std::filesystem::path> paths() const;

    // Throws FileFailure(path, 0, "exists already; use --force to replace
    // it") for the first file or claimed name that exists.
    void refuseExisting() const;
    // Creates the folder and the folders of the files, writes every file and
    // returns their paths in the order added. Throws FileFailure naming the
    // folder or file that failed; the files written before it stay.
    std::vector<std::filesystem::path> write() const;

private:
    struct File {
        std::string name;
        std::string text;
    };
    std::filesystem::path folder_;
    std::vector<File> files_;
    std::vector<std::string> claimed_;
};

}  // namespace qf::outputs
