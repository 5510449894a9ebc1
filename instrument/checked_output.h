#pragma once
// Writing a file so that a failure leaves nothing behind: the text goes to a
// temporary file beside the output, is checked there, and only then takes
// the output's name. Without `force` an existing file is never replaced.

#include <functional>
#include <string>

namespace qf::instrument {

// `check` receives the temporary file's path and throws to refuse it.
// Throws qf::FileFailure(output, 0, cause) when the file cannot be written
// or exists already.
void writeCheckedFile(const std::string& output, const std::string& text, bool force,
                      const std::function<void(const std::string& path)>& check);

}  // namespace qf::instrument
