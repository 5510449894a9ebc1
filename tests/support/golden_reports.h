#pragma once
// The golden reports of a run as the report reader takes them, and the text
// a line function lays out, for the tests of the reader and the line layouts.

#include <string>

#include "results/report_reader.h"
#include "support/test_support.h"
#include "textio/report_writer.h"

namespace qf::testing {

// tests/golden/RUN_Result.txt, RUN_Graph.txt and RUN_Summary.txt, under
// those names.
inline results::ReportTexts goldenReports(const std::string& run) {
    results::ReportTexts t;
    t.paths = {run + "_Result.txt", run + "_Graph.txt", run + "_Summary.txt"};
    t.result = readFile(sourcePath("tests/golden/" + t.paths.result));
    t.graph = readFile(sourcePath("tests/golden/" + t.paths.graph));
    t.summary = readFile(sourcePath("tests/golden/" + t.paths.summary));
    return t;
}

// The lines `write` lays out on a fresh line buffer.
template <class Write>
std::string rendered(Write write) {
    LineBuffer out;
    write(out);
    return out.text();
}

}  // namespace qf::testing
