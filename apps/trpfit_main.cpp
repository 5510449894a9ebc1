// trpfit: the companion of quenfit and monofit. It turns instrument exports
// into data files, reports into figures and tables, and runs many data files
// at once.
#include <csignal>
#include <iostream>
#include <string>

#include "trpfit/commands.h"
#include "trpfit/fit_command.h"
#include "trpfit/import_command.h"
#include "trpfit/report_command.h"
#include "trpfit/run_command.h"
#include "trpfit/version.h"

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    CLI::App app{"trpfit: instrument exports to data files, reports to figures and tables, "
                 "batches of quenfit and monofit runs"};
    app.set_version_flag("--version", std::string("trpfit ") + qf::trpfit::programVersion());
    app.require_subcommand(1);
    qf::trpfit::CommandContext context;
    // Subcommands register here.
    qf::trpfit::addImportCommand(app, context);
    qf::trpfit::addReportCommand(app, context);
    qf::trpfit::addRunCommand(app, context);
    qf::trpfit::addFitCommand(app, context);
    // A first word that is neither an option nor a command is a mistyped
    // command: say which commands there are.
    if (argc > 1 && argv[1][0] != '-') {
        const std::string word = argv[1];
        std::string names;
        bool known = false;
        for (const CLI::App* sub : app.get_subcommands({})) {
            known = known || sub->get_name() == word;
            names += (names.empty() ? "" : ", ") + sub->get_name();
        }
        if (!known) {
            std::cerr << "trpfit: \"" << word << "\" is not a command; the commands are " << names
                      << " (trpfit --help tells more)\n";
            return 2;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        const int code = app.exit(e);
        // CLI11 exits 0 for --help and --version, 106+ for usage errors.
        return code == 0 ? 0 : 2;
    }
    return context.status;
}
