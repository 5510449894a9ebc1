// Fuzz target: the report reader on reports of any content. The input holds
// the results, graph and summary reports one after the other, separated by
// a NUL byte. Made in memory as the browser page makes it, the page, its
// figures and its tables must come out, or a message; any exception that
// escapes, a crash or a sanitizer report is a finding.

#include <cstddef>
#include <cstdint>
#include <string>

#include "figures/report_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    qf::figures::ReportTextsInput texts;
    std::string* parts[3] = {&texts.result, &texts.graph, &texts.summary};
    std::size_t start = 0;
    for (int i = 0; i < 3 && start <= input.size(); ++i) {
        const std::size_t end = i < 2 ? input.find('\0', start) : std::string::npos;
        *parts[i] = input.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    texts.fileLabel = "fuzz";
    (void)qf::figures::reportPageFromTexts(texts);
    return 0;
}
