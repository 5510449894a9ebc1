#pragma once
// The exchange between the page's script and the C++ functions: the script
// puts named byte strings in (the data file, the options), calls one
// operation by name, and takes the named byte strings it produced out
// (the reports, the page, the figures). Bytes pass unchanged both ways, so
// reports keep exactly the bytes the native programs write.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qf::web {

class Exchange {
public:
    // The input called `name`, or "" when the script did not give it.
    const std::string& input(const std::string& name) const;
    bool hasInput(const std::string& name) const;
    // An integer input; `fallback` when absent or not a whole number.
    int intInput(const std::string& name, int fallback) const;

    void setInput(const std::string& name, std::string bytes);
    void setOutput(const std::string& name, std::string bytes);
    void clear();

    const std::vector<std::pair<std::string, std::string>>& outputs() const { return outputs_; }

private:
    std::map<std::string, std::string> inputs_;
    std::vector<std::pair<std::string, std::string>> outputs_;
};

// An operation reads its inputs and writes its outputs; it reports a
// refusal through the outputs ("status", "message"), never by throwing.
using Operation = std::function<void(Exchange&)>;

// The operations the page calls: "analyse", "import", "report", "index".
const std::map<std::string, Operation>& operations();

// Sends the name of the stage an analysis has reached to the page.
void reportStage(const std::string& stage);

}  // namespace qf::web
