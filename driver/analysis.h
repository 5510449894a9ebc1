#pragma once
// The analysis without files: the data file's text in, the three report
// texts, the warnings and the failure out, exactly as quenfit and monofit
// would leave them. Nothing is read from or written to any file.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "textio/program.h"

namespace qf {

// Which program analyses the text: one of the two, or the one its line 2
// asks for (three numbers: monofit; five or more: quenfit), as `trpfit run`
// decides.
enum class ProgramChoice { Quenfit, Monofit, Auto };

// "quenfit", "monofit" or "auto"; nothing for any other word.
std::optional<ProgramChoice> programChoiceFromName(std::string_view name);

struct AnalysisFailure {
    // The line the program writes to standard error, without its line end:
    // "quenfit: DATA., line 4: \"x\" is not a number (spectrum 1, point 4)".
    // When "auto" cannot tell the program, the cause alone, after the data
    // name when one was given: "my.dat: not a data file: line 2 is empty".
    std::string message;
    int status = 1;  // the program's exit status
};

struct AnalysisOutcome {
    // The program that ran; nothing when "auto" could not tell it.
    std::optional<Program> program;
    // The report texts, byte for byte what the program writes to the files
    // (CR LF line ends). A report the run did not create is absent: all
    // three when the data were refused before any report existed; a run
    // that failed later keeps what was written before the failure.
    std::optional<std::string> result;
    std::optional<std::string> graph;
    std::optional<std::string> summary;
    // The warning lines the program writes to standard error, in order and
    // without line ends ("monofit: warning: ...").
    std::vector<std::string> warnings;
    // Set when the run failed.
    std::optional<AnalysisFailure> failure;

    int status() const { return failure ? failure->status : 0; }
};

// Called with the name of a stage when it starts: "TARNO", "VELA-I",
// "VELA-II", "VELA-III" (quenfit) or "VELA-MONO-I", "VELA-MONO-II",
// "VELA-MONO-III" (monofit; "VELA-MONO-II" comes again when the run falls
// back from three components to two).
using AnalysisProgress = std::function<void(const std::string& stage)>;

// Analyses the data file's text. `date` is the date line of the reports
// (MM-DD-YYYY). `dataName` is how messages and warnings name the data, as
// the programs name the path they were given; empty: the program's default
// data name ("DATA." or "DATAM."). The result equals the files and the
// standard error of
//     quenfit DATANAME Result.txt Graph.txt Summary.txt
// (or monofit) run on that date with the text in DATANAME.
AnalysisOutcome analyseText(std::string_view data, ProgramChoice program, const std::string& date,
                            const AnalysisProgress& progress = {}, const std::string& dataName = {});

}  // namespace qf
