#include "results/report_assembler.h"

#include "results/report_reader.h"

namespace qf::results {

void EventCursor::fail(const std::string& cause) const {
    if (takenCut()) throw CutShort{};
    const Event& e = report_.events[next_ - 1];
    // A line the lexer could not place says why, unless the assembler knows better.
    throw ReportError(report_.path, e.line, cause.empty() ? e.text : cause);
}

bool EventCursor::expect(FixedLine line, const std::string& what) {
    if (atEnd()) return false;
    const Event& e = take();
    if (e.kind != EventKind::Fixed || e.fixed != line) fail("expected " + what);
    return true;
}

bool EventCursor::expectEmpty(const std::string& what) {
    if (atEnd()) return false;
    if (take().kind != EventKind::Empty) fail("expected " + what);
    return true;
}

void newStage(std::vector<StageLines>& stages, StageKind kind, int line) {
    StageLines s;
    s.stage.kind = kind;
    for (const StageLines& before : stages) {
        if (before.stage.kind == kind) ++s.stage.occurrence;
    }
    s.headingLine = line;
    stages.push_back(std::move(s));
}

bool readTitleAndDate(EventCursor& in, std::string& title, std::string& date) {
    // A title or date line cut short is not compared with the other reports'.
    if (in.atEnd()) return false;
    title = in.take().text;
    if (in.takenCut()) title.clear();
    if (in.atEnd()) return false;
    date = in.take().text;
    if (in.takenCut()) date.clear();
    return true;
}

}  // namespace qf::results
