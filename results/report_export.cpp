#include "results/report_export.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "results/tables.h"

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

std::vector<std::string> tableFileNames() { return {"components.csv", "contributions.csv", "spectra.csv"}; }

namespace {

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw ReportError(path.string(), 0, "cannot create the file");
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw ReportError(path.string(), 0, "cannot write the file");
}

}  // namespace

TablesWritten writeReportTables(const ReportPaths& paths, const std::string& outDir,
                                const std::string& fileLabel, bool force) {
    TablesWritten done;
    const fs::path dir = outDir;
    std::vector<fs::path> targets;
    for (const std::string& name : tableFileNames()) targets.push_back(dir / name);
    std::error_code ec;
    if (!force) {
        for (const fs::path& t : targets) {
            if (fs::exists(t, ec)) throw ReportError(t.string(), 0, "exists already; use --force to replace it");
        }
    }
    done.run = readReportFiles(paths);
    fs::create_directories(dir, ec);
    if (ec) throw ReportError(dir.string(), 0, "cannot create the folder: " + ec.message());
    const std::string texts[3] = {componentsCsv(done.run, fileLabel), contributionsCsv(done.run, fileLabel),
                                  spectraCsv(done.run)};
    for (std::size_t i = 0; i < targets.size(); ++i) {
        writeText(targets[i], texts[i]);
        done.files.push_back(targets[i].string());
    }
    return done;
}

int reportCommand(const ReportCommandOptions& options, std::ostream& out, std::ostream& err) {
    try {
        const ReportPaths paths = resolveReportPaths(options.inputs);
        const std::string outDir =
            options.outDir.empty() ? fs::path(paths.result).parent_path().string() : options.outDir;
        const std::string dir = outDir.empty() ? "." : outDir;
        if (!options.force) {
            std::error_code ec;
            for (const std::string& name : options.extraOutputs) {
                const fs::path p = fs::path(dir) / name;
                if (fs::exists(p, ec)) throw ReportError(p.string(), 0, "exists already; use --force to replace it");
            }
        }
        TablesWritten done = writeReportTables(paths, dir, paths.result, options.force);
        if (options.writeExtra) {
            for (std::string& f : options.writeExtra(done.run, dir)) done.files.push_back(std::move(f));
        }
        if (!done.run.complete) {
            err << "trpfit: the reports end early (a run that did not finish): " << done.run.result.path
                << " ends at " << done.run.result.where << "; " << done.run.graph.path << " ends at "
                << done.run.graph.where << "; " << done.run.summary.path << " ends at "
                << done.run.summary.where << "\n";
        }
        for (const std::string& f : done.files) out << f << "\n";
        return 0;
    } catch (const ReportError& e) {
        err << "trpfit: " << e.what() << "\n";
        return 1;
    }
}

}  // namespace qf::results
