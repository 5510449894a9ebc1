// The texts trpfit run reads back from files a user hands it: the runs
// table of an output folder (trpfit run --merge), any CSV table, and the
// head of a data file (which program it is for). Arbitrary bytes must give
// a result or an error, never a crash; a table that reads must write back
// to text that reads to the same records (their text made valid UTF-8).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "batch/inputs.h"
#include "batch/run_table.h"
#include "results/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    qf::batch::parseCsv(text, error);
    std::string why;
    qf::batch::programFromHead(text, why);
    const auto records = qf::batch::readRunsCsv(text, error);
    if (records) {
        std::ostringstream out;
        qf::batch::writeRunsCsv(out, *records);
        const auto again = qf::batch::readRunsCsv(out.str(), error);
        if (!again || again->size() != records->size()) std::abort();
        for (std::size_t i = 0; i < records->size(); ++i) {
            if ((*again)[i].file != qf::results::validUtf8((*records)[i].file) ||
                (*again)[i].status != (*records)[i].status) {
                std::abort();
            }
        }
    }
    return 0;
}
