// The two roads into the import: the command line's files on disk, and
// texts in memory for the browser page. Both run importWith.
#include <filesystem>
#include <map>
#include <utility>

#include "instrument/checked_output.h"
#include "instrument/import.h"
#include "instrument/import_core.h"
#include "textio/failure.h"

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

// A refusal once the exports are read: what they state stays in the result.
ImportTextResult refusedAfterReading(ImportTextResult result, const std::string& message) {
    result.outcome = ImportOutcome::Refused;
    result.message = message;
    result.dataFile.clear();
    result.summary.clear();
    result.program.reset();
    return result;
}

}  // namespace

ImportTextResult importFromTexts(const ImportOptions& options, const std::vector<ExportText>& texts) {
    const MemorySource source(texts);
    return importWith(options, source, nullptr);
}

ImportTextResult runImport(const ImportOptions& options) {
    if (options.output.empty()) {
        ImportTextResult refused;
        refused.outcome = ImportOutcome::ContradictoryOptions;
        refused.message = "say the data file to write with -o DATAFILE";
        return refused;
    }
    const FileSource files;
    ImportTextResult result = importWith(options, files, [&] {
        std::error_code ec;
        if (!options.force && std::filesystem::exists(options.output, ec)) {
            throw FileFailure(options.output, 0, "the file exists; say --force to overwrite it");
        }
    });
    if (result.outcome != ImportOutcome::Done) return result;
    try {
        writeCheckedFile(options.output, result.dataFile, options.force, [&](const std::string& path) {
            // What reached the disk is the text that was read back.
            const FileSource disk;
            if (disk.read(path) != result.dataFile) {
                throw FileFailure(options.output, 0, "the written file does not hold the data file's text");
            }
        });
    } catch (const FileFailure& e) {
        return refusedAfterReading(std::move(result), e.what());
    } catch (const RunFailure& e) {
        return refusedAfterReading(std::move(result), e.what());
    }
    return result;
}

}  // namespace qf::instrument
