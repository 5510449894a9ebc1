// The texts trpfit run reads back from files a user hands it: the runs
// table of an output folder (trpfit run --merge), any CSV table (the result
// tables a merge reads back through textio's CSV reader), and the head of a
// data file (which program it is for). Arbitrary bytes must give a result
// or a FileFailure, never a crash; a table that reads must write back to
// text that reads to the same rows (their text made valid UTF-8), and a
// runs table to the same records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "batch/inputs.h"
#include "batch/run_table.h"
#include "textio/csv_text.h"
#include "textio/failure.h"

namespace {

void csvRoundTrip(const std::string& text) {
    using qf::text::CsvTable;
    CsvTable table;
    try {
        table = CsvTable::parse(text, "table.csv");
    } catch (const qf::FileFailure&) {
        return;
    }
    // Typed access by name never fails in any other way than FileFailure.
    for (const std::string& name : table.heading()) {
        try {
            const std::size_t c = table.column(name);
            for (std::size_t r = 0; r < table.size(); ++r) table.optionalNumber(r, c);
        } catch (const qf::FileFailure&) {
        }
    }
    qf::text::CsvWriter csv;
    if (!table.heading().empty()) csv.row(table.heading());
    for (std::size_t r = 0; r < table.size(); ++r) csv.row(table.fields(r));
    const CsvTable again = CsvTable::parse(csv.text(), "again.csv");
    if (again.size() != table.size() || again.heading().size() != table.heading().size()) std::abort();
    for (std::size_t r = 0; r < table.size(); ++r) {
        const auto& before = table.fields(r);
        const auto& after = again.fields(r);
        if (before.size() != after.size()) std::abort();
        for (std::size_t c = 0; c < before.size(); ++c) {
            if (after[c] != qf::text::validUtf8(before[c])) std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    csvRoundTrip(text);
    std::string why;
    qf::batch::programFromHead(text, why);
    try {
        const auto records = qf::batch::readRunsCsv(text, "runs.csv");
        const auto again = qf::batch::readRunsCsv(qf::batch::runsCsv(records), "runs.csv");
        if (again.size() != records.size()) std::abort();
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (again[i].file != qf::text::validUtf8(records[i].file) || again[i].status != records[i].status) {
                std::abort();
            }
        }
    } catch (const qf::FileFailure&) {
    }
    return 0;
}
