#include "textio/file_text.h"

#include <fstream>
#include <sstream>

#include "textio/failure.h"

namespace qf {

std::string readFileText(const std::string& path, const std::string& cannotOpen, const std::string& cannotRead) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw FileFailure(path, 0, cannotOpen);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw FileFailure(path, 0, cannotRead);
    return text.str();
}

}  // namespace qf
