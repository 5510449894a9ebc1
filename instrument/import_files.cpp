// The two roads into the import: the command line's files on disk, and
// texts in memory for the browser page. Both run importWith.
#include <filesystem>
#include <map>
#include <ostream>

#include "instrument/checked_output.h"
#include "instrument/import_core.h"

namespace qf::instrument {

namespace {

// Texts handed over by name.
class MemorySource : public TextSource {
public:
    explicit MemorySource(const std::vector<ExportText>& texts) {
        for (const ExportText& t : texts) texts_.emplace(t.name, &t.content);
    }
    bool exists(const std::string& name) const override { return texts_.count(name) > 0; }
    std::string read(const std::string& name) const override {
        const auto it = texts_.find(name);
        if (it == texts_.end()) fail(name + ": cannot open the file");
        return *it->second;
    }

private:
    std::map<std::string, const std::string*> texts_;
};

}  // namespace

ImportTextResult importFromTexts(const ImportOptions& options, const std::vector<ExportText>& texts) {
    const MemorySource source(texts);
    return importWith(options, source, nullptr);
}

int runImport(const ImportOptions& options, std::ostream& err) {
    if (options.output.empty()) {
        err << "trpfit import: say the data file to write with -o DATAFILE\n";
        return 2;
    }
    const FileSource files;
    const ImportTextResult result = importWith(options, files, [&] {
        std::error_code ec;
        if (!options.force && std::filesystem::exists(options.output, ec)) {
            fail(options.output + ": the file exists; say --force to overwrite it");
        }
    });
    if (result.status != 0) {
        err << result.message << "\n";
        return result.status;
    }
    try {
        writeCheckedFile(options.output, result.dataFile, options.force, [&](const std::string& path) {
            // What reached the disk is the text that was read back.
            const FileSource disk;
            if (disk.read(path) != result.dataFile) {
                fail(options.output + ": the written file does not hold the data file's text");
            }
        });
    } catch (const RunFailure& e) {
        err << "trpfit: " << e.what() << "\n";
        return 1;
    }
    err << result.summary << "\n";
    return 0;
}

}  // namespace qf::instrument
