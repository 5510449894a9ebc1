#include "exchange.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <new>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#define EMSCRIPTEN_KEEPALIVE
#endif

namespace qf::web {

const std::string& Exchange::input(const std::string& name) const {
    static const std::string empty;
    const auto it = inputs_.find(name);
    return it == inputs_.end() ? empty : it->second;
}

bool Exchange::hasInput(const std::string& name) const { return inputs_.count(name) != 0; }

int Exchange::intInput(const std::string& name, int fallback) const {
    const std::string& text = input(name);
    if (text.empty()) return fallback;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || value < -1000000 || value > 1000000) return fallback;
    return static_cast<int>(value);
}

void Exchange::setInput(const std::string& name, std::string bytes) { inputs_[name] = std::move(bytes); }

void Exchange::setOutput(const std::string& name, std::string bytes) {
    outputs_.emplace_back(name, std::move(bytes));
}

void Exchange::clear() {
    inputs_.clear();
    outputs_.clear();
}

namespace {

Exchange& exchange() {
    static Exchange instance;
    return instance;
}

}  // namespace

#ifdef __EMSCRIPTEN__
// The page installs Module.onStage; without it the stage is dropped.
EM_JS(void, trpfit_stage_to_page, (const char* text), {
    if (Module["onStage"]) Module["onStage"](UTF8ToString(text));
});
void reportStage(const std::string& stage) { trpfit_stage_to_page(stage.c_str()); }
#else
void reportStage(const std::string&) {}
#endif

}  // namespace qf::web

// The functions the script calls. Names and texts are NUL-terminated UTF-8;
// byte strings come with their length.
extern "C" {

EMSCRIPTEN_KEEPALIVE void trpfit_clear() { qf::web::exchange().clear(); }

EMSCRIPTEN_KEEPALIVE void trpfit_input(const char* name, const std::uint8_t* bytes, std::size_t size) {
    qf::web::exchange().setInput(name, std::string(reinterpret_cast<const char*>(bytes), size));
}

// Runs an operation. Returns 0 when it ran (its own outcome is among the
// outputs), 1 for an unknown operation, 2 when it ran out of memory or
// threw what it should have caught (then "message" says so).
EMSCRIPTEN_KEEPALIVE int trpfit_call(const char* name) {
    auto& ex = qf::web::exchange();
    const auto& ops = qf::web::operations();
    const auto it = ops.find(name);
    if (it == ops.end()) return 1;
    try {
        it->second(ex);
        return 0;
    } catch (const std::bad_alloc&) {
        ex.setOutput("message", "out of memory");
    } catch (const std::exception& e) {
        ex.setOutput("message", e.what());
    }
    return 2;
}

EMSCRIPTEN_KEEPALIVE int trpfit_output_count() {
    return static_cast<int>(qf::web::exchange().outputs().size());
}
EMSCRIPTEN_KEEPALIVE const char* trpfit_output_name(int i) {
    return qf::web::exchange().outputs().at(static_cast<std::size_t>(i)).first.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* trpfit_output_data(int i) {
    return qf::web::exchange().outputs().at(static_cast<std::size_t>(i)).second.data();
}
EMSCRIPTEN_KEEPALIVE std::size_t trpfit_output_size(int i) {
    return qf::web::exchange().outputs().at(static_cast<std::size_t>(i)).second.size();
}

}  // extern "C"
