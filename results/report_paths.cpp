#include "results/report_paths.h"

#include <filesystem>
#include <system_error>

namespace qf::results {

namespace fs = std::filesystem;

ReportPaths defaultReportNames(qf::Program program, const std::string& dir) {
    const fs::path d = dir;
    const qf::ProgramFiles f = qf::defaultProgramFiles(program);
    return {(d / f.result).string(), (d / f.graph).string(), (d / f.summary).string()};
}

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
    const ReportPaths quenfit = defaultReportNames(qf::Program::Quenfit, inputs[0]);
    const ReportPaths monofit = defaultReportNames(qf::Program::Monofit, inputs[0]);
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
