#pragma once
// What an instrument export holds once read: named spectra, each a run of
// (wavelength, intensity) samples in file order, with the line each sample
// came from so that every later refusal can name it.
//
// A sample whose intensity cannot be used (a word such as "OVER", "NaN", an
// empty field, a saturation mark) is kept with its cause: it only matters if
// the grid needs it.

#include <string>
#include <string_view>
#include <vector>

namespace qf::instrument {

struct Sample {
    double x = 0.0;   // nm
    double y = 0.0;   // intensity; meaningless when `flaw` is not empty
    int line = 0;     // 1-based line of the export
    std::string flaw; // why y cannot be used, or empty
};

// What an export's header says about something: nothing, yes or no.
enum class Stated { Unsaid, Yes, No };

struct ExportSpectrum {
    std::string name;
    std::vector<Sample> samples;
    // Whether the export says the intensities are already corrected for the
    // instrument's spectral sensitivity, how it says so and on which line
    // (0: by a column's name rather than a header line).
    Stated corrected = Stated::Unsaid;
    std::string correctedBecause;
    int correctedLine = 0;
    // For the emission spectra of a matrix: the excitation wavelength.
    bool hasExcitation = false;
    double excitation = 0.0;
    // Taken when the file is named without a spectrum. A raw signal or a
    // reference detector beside a corrected signal is kept for selection by
    // name only.
    bool byDefault = true;
    // The export's column it came from (0-based), or -1.
    int column = -1;
};

// The layouts the reader knows. Auto picks one from the file's content.
enum class Layout {
    Auto,
    Columns,     // delimited columns, x first or named in a header
    Pairs,       // x, y, x, y ... with names over units
    NamedRows,   // "Short Name" / "Long Name" / "Units" rows over columns
    KeyValue,    // "Labels", "Start", "Stop", "Step" ... then a blank line
    HashData,    // a fixed header ending at "#DATA"
    Jcamp,       // TITLE, DATA TYPE, ... "XYDATA"
    Traces,      // "<Trace>" blocks
    Matrix,      // "RawData" or "Data Points" before an excitation-emission matrix
    Restarts,    // two columns, every restart of x a new spectrum
};

// How a matrix of several excitation wavelengths is laid out, when the
// corner cell cannot tell.
enum class MatrixOrientation {
    Unknown,
    ExRows,     // one row per excitation wavelength, emission across the first row
    ExColumns,  // one column per excitation wavelength, emission down the first column
};

struct ReadOptions {
    Layout layout = Layout::Auto;
    MatrixOrientation matrix = MatrixOrientation::Unknown;
    // The options win over what the header states (otherwise a
    // contradiction is refused, naming the header line).
    bool overrideHeader = false;
};

// A wavelength axis as a header gives it: a start and an end, or one fixed
// wavelength, each with the line that says so.
struct StatedAxis {
    bool hasStart = false, hasEnd = false, hasFixed = false;
    double start = 0.0, end = 0.0, fixed = 0.0;
    int line = 0;  // the last line that said something about the axis
    std::string text;
};

// One header line the import understood: its number, its text and what it
// was taken to say ("excitation start 250 nm", "corrected: no").
struct HeaderStatement {
    int line = 0;
    std::string text;
    std::string meaning;
};

// What the header (and footer) lines of an export state.
struct HeaderFacts {
    std::vector<HeaderStatement> statements;  // in file order
    Stated corrected = Stated::Unsaid;
    int correctedLine = 0;
    std::string correctedText;  // the line as it stands
    StatedAxis excitation, emission;
    // FIRSTX / LASTX / NPOINTS: the scanned (emission) axis.
    bool hasFirstX = false, hasLastX = false;
    double firstX = 0.0, lastX = 0.0;
    int nPoints = 0;
    int firstXLine = 0;
    // The header calls the recording a time scan (its line), else 0.
    int timeScanLine = 0;
    std::string timeScanText;
};

// How the orientation of a matrix was told.
struct MatrixFacts {
    MatrixOrientation orientation = MatrixOrientation::Unknown;
    std::string because;   // "header lines 3-4", "the corner cell \"EX/EM\"", ...
    int line = 0;          // the line that states it (0: the Stokes rule)
    std::string overridden;  // what --matrix overrode, for the summary line
};

struct ExportFile {
    std::string name;  // as given by the user, for messages
    Layout layout = Layout::Auto;
    std::vector<ExportSpectrum> spectra;
    HeaderFacts header;
    bool isMatrix = false;
    MatrixFacts matrix;  // when isMatrix
};

// Reads the export text. Throws qf::RunFailure "NAME, line N: cause" for a
// binary file, a layout it cannot read, or a file without any spectrum.
ExportFile readExport(const std::string& name, std::string_view bytes,
                      const ReadOptions& options = {});

// Layout names as the --format option takes them, and back.
const char* layoutName(Layout layout);
bool layoutFromName(std::string_view name, Layout& layout);
std::string layoutNames();  // "columns, pairs, ..." for help texts

}  // namespace qf::instrument
