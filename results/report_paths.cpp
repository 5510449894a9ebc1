#include "results/report_paths.h"

#include <filesystem>
#include <system_error>

namespace qf::results {

namespace fs = std::filesystem;

ReportPaths resolveReportPaths(const std::vector<std::string>& inputs) {
    if (inputs.size() == 3) return {inputs[0], inputs[1], inputs[2]};
    if (inputs.size() != 1) {
        throw ReportError("report", 0, "give a folder, or the results, graph and summary reports");
    }
    const fs::path dir = inputs[0];
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        throw ReportError(inputs[0], 0, "not a folder; give a folder, or the results, graph and summary reports");
    }
    const auto set = [&dir](const char* r, const char* g, const char* s) {
        return ReportPaths{(dir / r).string(), (dir / g).string(), (dir / s).string()};
    };
    const ReportPaths quenfit = set("Result.txt", "Graph.txt", "Summary.txt");
    const ReportPaths monofit = set("ResultM.txt", "GraphM.txt", "SummaryM.txt");
    const auto present = [&ec](const ReportPaths& p) {
        return fs::exists(p.result, ec) || fs::exists(p.graph, ec) || fs::exists(p.summary, ec);
    };
    const bool q = present(quenfit);
    const bool m = present(monofit);
    if (q && m) {
        throw ReportError(inputs[0], 0,
                          "holds the reports of quenfit and of monofit; name the three reports to read");
    }
    if (!q && !m) {
        throw ReportError(inputs[0], 0,
                          "holds neither Result.txt, Graph.txt, Summary.txt nor ResultM.txt, GraphM.txt, SummaryM.txt");
    }
    return q ? quenfit : monofit;
}

}  // namespace qf::results
