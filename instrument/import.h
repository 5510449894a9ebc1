#pragma once
// `trpfit import`: instrument exports to one data file that quenfit or
// monofit reads.
//
//  1. Every input FILE[:SPECTRUM] is read in its layout and gives named
//     spectra; SPECTRUM picks one by name, 1-based number or, in a matrix,
//     excitation wavelength.
//  2. The spectra (and a measured standard) go on one grid.
//  3. The measured standard is the instrument's recording (--standard), or,
//     for spectra already corrected (--corrected, or a file that says so),
//     the built-in standard table itself, so that the correction is a
//     constant that the normalization removes. An option that contradicts
//     what an export states is refused, naming the line, unless
//     --override-header.
//  4. Several spectra with concentrations make a quenching series for
//     quenfit; one spectrum without makes a monofit file.
//  5. The text is read back with the programs' own reader and checks,
//     written beside its final name, and only then put in place.
//
// The import itself works on texts (import_text.h); runImport reads and
// writes the files around it.

#include <iosfwd>
#include <string>
#include <vector>

namespace qf::instrument {

struct ImportOptions {
    std::vector<std::string> inputs;  // FILE[:SPECTRUM]
    std::string output;
    std::string format = "auto";  // a layout name
    std::string matrix;           // "", "ex-rows" or "ex-columns"
    std::string grid;             // "" or FIRST:LAST:STEP
    std::string standard;         // "" or FILE[:SPECTRUM]
    bool corrected = false;
    bool overrideHeader = false;  // the options win over what an export's header states
    int quencher = 0;             // 0: not given
    std::string concentrations;   // comma- or blank-separated list
    std::string series;           // manifest: file, spectrum, concentration
    std::string program;          // "", "quenfit" or "monofit"
    std::string title;
    bool hasTitle = false;
    bool force = false;
};

// Runs the import. Failures are one line on `err` ("trpfit: FILE, line N:
// cause"); returns 0 done, 1 refused or failed, 2 options that contradict
// each other. On success one summary line goes to `err`.
int runImport(const ImportOptions& options, std::ostream& err);

}  // namespace qf::instrument
