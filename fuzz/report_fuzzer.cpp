// Fuzz target: the report reader on reports of any content. The input holds
// the results, graph and summary reports one after the other, separated by
// a NUL byte. Reading must give a model or a ReportError; the tables, the
// report page and its figures made from any model must build. Anything else (a crash, a sanitizer report,
// another exception) is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include "figures/report_page.h"
#include "results/report_reader.h"
#include "results/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    qf::results::ReportTexts texts;
    texts.paths = {"Result.txt", "Graph.txt", "Summary.txt"};
    std::string* parts[3] = {&texts.result, &texts.graph, &texts.summary};
    std::size_t start = 0;
    for (int i = 0; i < 3 && start <= input.size(); ++i) {
        const std::size_t end = i < 2 ? input.find('\0', start) : std::string::npos;
        *parts[i] = input.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    try {
        const qf::results::RunReports run = qf::results::readReports(texts);
        (void)qf::results::componentsCsv(run, "fuzz");
        (void)qf::results::contributionsCsv(run, "fuzz");
        (void)qf::results::spectraCsv(run);
        (void)qf::figures::reportPageHtml(run);
    } catch (const qf::results::ReportError&) {
    }
    return 0;
}
