#pragma once
// The assembler: builds the results model from the events of the three
// reports. Each report is read on its own into the stages it holds (one
// file each); the run then joins them (report_reader.cpp).

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "results/report_events.h"
#include "results/report_model.h"

namespace qf::results {

// A report whose last line is cut inside a line that cannot be placed
// ends there, like a report cut between lines.
struct CutShort {};

// The events of one report, taken one at a time.
class EventCursor {
public:
    explicit EventCursor(const LexedReport& report) : report_(report) {}

    bool atEnd() const { return next_ >= report_.events.size(); }
    const Event& peek() const { return report_.events[next_]; }
    const Event& take() { return report_.events[next_++]; }
    int lineNumber() const { return next_ == 0 ? 0 : report_.events[next_ - 1].line; }  // of the event taken last
    bool takenCut() const { return next_ > 0 && report_.events[next_ - 1].cut; }
    const std::string& path() const { return report_.path; }
    int lineCount() const { return report_.lineCount; }

    // The event taken last cannot be placed: an error naming the file and
    // the line, or the end of a report cut inside that line.
    [[noreturn]] void fail(const std::string& cause) const;
    // Takes the next event, which must be the fixed line `line` (or, with
    // `empty`, an empty line); false at the end of the report.
    bool expect(FixedLine line, const std::string& what);
    bool expectEmpty(const std::string& what);

private:
    const LexedReport& report_;
    std::size_t next_ = 0;
};

// Where a report stands while it is read.
struct Place {
    std::string where = "the title";
    bool closed = false;  // the last line read ends a section
    void enter(std::string w) {
        where = std::move(w);
        closed = false;
    }
    void close(std::string w) {
        where = std::move(w);
        closed = true;
    }
};

struct StageLines {
    Stage stage;
    int headingLine = 0;
    bool headingless = false;  // a stage after an absent one (stage_sequence.h)
};

struct ResultRead {
    std::string title, date;
    bool quencherLines = false;
    std::vector<double> concentrations, activities;
    std::vector<StageLines> stages;
};

struct GraphRead {
    std::string title, date;
    FirstPass firstPass;
    bool firstPassSeen = false;
    bool monoBlankAfterFirstPass = false;
    std::vector<StageLines> stages;
};

// A summary block as read, with its line and the program whose spelling
// its label is (a bare absence line spells none).
struct SummaryBlockRead {
    SummaryBlock block;
    int line = 0;
    std::optional<Program> spelledFor;
};

struct SummaryRead {
    std::string title, date;
    bool heading = false;
    bool legend = false;
    std::vector<SummaryBlockRead> blocks;
};

// Reads a report with `body(in, place, read)` as far as it goes; a report
// cut inside a line that cannot be placed ends there.
template <class Read, class Body>
Read readAsFarAsItGoes(const LexedReport& report, Place& place, Body body) {
    EventCursor in(report);
    Read read;
    try {
        body(in, place, read);
    } catch (const CutShort&) {
        place.enter(place.where + " (its last line cut short)");
    }
    return read;
}

// Each reads as far as the report goes; `place` says where it stopped.
ResultRead assembleResult(const LexedReport& report, Place& place);
GraphRead assembleGraph(const LexedReport& report, Place& place);
SummaryRead assembleSummary(const LexedReport& report, Place& place);

// Shared by the three: a new stage of `kind`, counting earlier ones of the
// same kind; the title and date lines (a cut one is left empty).
void newStage(std::vector<StageLines>& stages, StageKind kind, int line);
bool readTitleAndDate(EventCursor& in, std::string& title, std::string& date);

}  // namespace qf::results
