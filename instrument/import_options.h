#pragma once
// What `trpfit import` is asked to do, and how an import ends. Shared by the
// import on files (import.h) and on texts (import_text.h).

#include <optional>
#include <string>
#include <vector>

#include "textio/program.h"

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
    std::optional<Program> program;  // none: quenfit for a series, monofit for one spectrum
    std::string title;
    bool hasTitle = false;
    bool force = false;
};

enum class ImportOutcome {
    Done,                  // the data file's text is made (and, on files, written)
    Refused,               // an export, the standard, the output or the series is at fault
    ContradictoryOptions,  // options that contradict each other or cannot be read
};

}  // namespace qf::instrument
