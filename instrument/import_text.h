#pragma once
// `trpfit import` without files: the export texts in, the data file's text,
// the summary and what the exports' headers state out. The command line runs
// the same import and only reads and writes the files around it; the browser
// page calls it with the texts a user dropped. Neither outcome nor texts name
// a program: the command line and the page put their own words around them.

#include <optional>
#include <string>
#include <vector>

#include "instrument/import_options.h"
#include "textio/program.h"

namespace qf::instrument {

// One input text under the name the options use for it: an export, the
// standard's export, a series manifest.
struct ExportText {
    std::string name;
    std::string content;  // the bytes as the file holds them
};

// What an export's header states, as the import read it.
struct ExportFacts {
    std::string file;
    std::string layout;                // as --format names it
    std::vector<std::string> spectra;  // the names of the spectra found, in file order
    // Whether the spectra are corrected for the instrument: "yes", "no" or
    // "" (not said), and the header's words with their line (0: told by a
    // column's name).
    std::string corrected;
    std::string correctedBecause;
    int correctedLine = 0;
    // The wavelengths of the spectra found (nm).
    double firstNm = 0.0;
    double lastNm = 0.0;
    // A matrix: "ex-rows" or "ex-columns", how that was told and on which
    // line (0: the Stokes rule or the command line), the excitation range,
    // and what --override-header overrode ("" if nothing).
    bool matrix = false;
    std::string orientation;
    std::string orientationBecause;
    int orientationLine = 0;
    double firstExcitation = 0.0;
    double lastExcitation = 0.0;
    std::string overridden;
    // Every header line the import understood, in file order: its number,
    // its text and what it was taken to say ("corrected: no", "excitation
    // fixed at 295 nm", "emission from 300 nm", "scanned axis to 400").
    struct Statement {
        int line = 0;
        std::string text;
        std::string meaning;
    };
    std::vector<Statement> statements;
};

struct ImportTextResult {
    ImportOutcome outcome = ImportOutcome::Done;
    // Why the import was refused: one line, no line end, "FILE, line N:
    // cause" where a file is at fault ("" when done).
    std::string message;
    std::string dataFile;     // the data file's text (empty unless done)
    // What was done, one line, no line end: "OUTPUT: N spectra from M files
    // for quenfit, grid ..." ("" unless done).
    std::string summary;
    std::optional<Program> program;    // the program the data file is for (none unless done)
    std::vector<ExportFacts> exports;  // every export read, in the order first named
};

// Runs the import on texts in memory; touches no file. `options.inputs`,
// `options.standard` and `options.series` name texts of `texts` (a name
// not among them is refused as a file that cannot be opened);
// `options.output` only names the data file in the messages and the summary
// ("DATA." when empty); `options.force` is not used.
ImportTextResult importFromTexts(const ImportOptions& options, const std::vector<ExportText>& texts);

}  // namespace qf::instrument
