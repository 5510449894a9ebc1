#pragma once
// The inputs of a batch: the data files named on the command line and the
// files of the named folders, in one sorted list; which program analyses
// each; and the run folder each gets below the output folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/program.h"

namespace qf::batch {

struct Input {
    std::string path;    // as named, or folder/name for a file found in a folder
    std::string folder;  // run folder name below the output folder, unique in the batch
    std::string problem; // why the input cannot run at all ("no such file"); empty when it can
};

// Every named file, and every regular file of every named folder (hidden
// files, whose names begin with '.', are left out; subfolders only with
// `recursive`, and never the output folder itself; in a folder that is the
// output folder, the batch's own tables and index are no inputs). Sorted by path, each
// file once. Names that do not exist are kept with their problem, so that
// the table shows them.
std::vector<Input> collectInputs(const std::vector<std::string>& names, bool recursive,
                                 const std::filesystem::path& outDir);

// Gives every input a run folder named after its file without extension;
// inputs whose names clash get "-2", "-3" ... in sorted order, so that the
// same list always gives the same folders (also across shards).
void assignFolders(std::vector<Input>& inputs);

// The program a data file is written for, told from its line 2: three
// numbers for monofit (first, last, step), five or more for quenfit
// (type, count, first, last, step and possibly the concentrations).
// Returns nothing and sets `why` when the file is not a data file.
std::optional<Program> detectProgram(const std::string& path, std::string& why);

// The same from the first bytes of a file (at least its first two lines).
std::optional<Program> programFromHead(std::string_view head, std::string& why);

// Inputs K, K+N, K+2N ... (K counted from 1) of the sorted list.
std::vector<Input> shardOf(const std::vector<Input>& inputs, int k, int n);

}  // namespace qf::batch
