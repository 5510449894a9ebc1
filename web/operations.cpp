#include "operations.h"

namespace qf::web {

const std::map<std::string, Operation>& operations() {
    static const std::map<std::string, Operation> table = {
        {"analyse", analyse},
        {"import", importExports},
        {"scan", scanExport},
        {"index", batchIndex},
        {"report", reportPage},
    };
    return table;
}

}  // namespace qf::web
