#include "instrument/requests.h"

#include <cmath>
#include <filesystem>
#include <fstream>

#include "instrument/grid.h"
#include "instrument/text_table.h"
#include "textio/failure.h"

namespace qf::instrument {

namespace fs = std::filesystem;

bool FileSource::exists(const std::string& name) const {
    std::error_code ec;
    return fs::exists(name, ec);
}

std::string FileSource::read(const std::string& name) const {
    constexpr std::size_t kMaxBytes = std::size_t{64} << 20;
    std::ifstream in(name, std::ios::binary);
    if (!in) fail(name + ": cannot open the file");
    std::string bytes;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxBytes) fail(name + ": larger than 64 MiB, not an export of spectra");
    }
    if (in.bad()) fail(name + ": cannot read the file");
    return bytes;
}

Request splitRequest(const std::string& text, const TextSource& source) {
    Request r;
    r.file = text;
    if (source.exists(text)) return r;
    const std::size_t colon = text.rfind(':');
    if (colon != std::string::npos && colon > 0) {
        r.file = text.substr(0, colon);
        r.selector = text.substr(colon + 1);
    }
    return r;
}

std::vector<Request> readManifest(const std::string& path, const TextSource& source) {
    if (!source.exists(path)) fail(path + ": cannot open the series manifest");
    const std::string text = source.read(path);
    const fs::path folder = fs::path(path).parent_path();
    std::vector<Request> requests;
    for (const Line& line : splitLines(text)) {
        const std::string_view t = trim(line.text);
        if (t.empty() || t.front() == '#') continue;
        const char delimiter = t.find('\t') != std::string_view::npos   ? '\t'
                               : t.find(';') != std::string_view::npos  ? ';'
                                                                         : ',';
        const auto fields = splitFields(t, delimiter);
        if (requests.empty() && !fields.empty() && lowerAscii(fields[0]) == "file") continue;
        const std::string where = path + ", line " + std::to_string(line.number) + ": ";
        if (fields.size() != 3) {
            fail(where + "a series line needs three fields: file, spectrum, concentration");
        }
        Request r;
        const fs::path file{std::string(fields[0])};
        r.file = (file.is_relative() && !folder.empty() ? folder / file : file).string();
        r.selector = std::string(fields[1]);
        r.hasConcentration = true;
        if (!parseNumber(fields[2], delimiter != ',', r.concentration)) {
            fail(where + "the concentration \"" + readableText(fields[2]) + "\" is not a number");
        }
        requests.push_back(std::move(r));
    }
    if (requests.empty()) fail(path + ": the series manifest names no spectrum");
    return requests;
}

const ExportFile& ExportCache::get(const std::string& path) {
    auto it = files_.find(path);
    if (it == files_.end()) {
        it = files_.emplace(path, readExport(path, source_.read(path), options_)).first;
        order_.push_back(path);
    }
    return it->second;
}

const ExportFile* ExportCache::find(const std::string& path) const {
    const auto it = files_.find(path);
    return it == files_.end() ? nullptr : &it->second;
}

std::string spectrumList(const ExportFile& file) {
    std::string out;
    int shown = 0;
    for (const ExportSpectrum& s : file.spectra) {
        if (++shown > 12) return out + ", ...";
        out += (out.empty() ? "\"" : ", \"") + s.name + "\"";
    }
    return out;
}

std::vector<const ExportSpectrum*> selectSpectra(const ExportFile& file, const std::string& selector) {
    std::vector<const ExportSpectrum*> defaults;
    for (const ExportSpectrum& s : file.spectra) {
        if (s.byDefault) defaults.push_back(&s);
    }
    if (selector.empty()) return defaults;
    double value = 0.0;
    const bool number = parseNumber(selector, false, value);
    if (number) {
        for (const ExportSpectrum& s : file.spectra) {
            if (s.hasExcitation && std::fabs(s.excitation - value) <= kSameWavelength) return {&s};
        }
    }
    for (const ExportSpectrum& s : file.spectra) {
        if (s.name == selector) return {&s};
    }
    for (const ExportSpectrum& s : file.spectra) {
        if (lowerAscii(s.name) == lowerAscii(selector)) return {&s};
    }
    if (number && value == std::floor(value) && value >= 1.0 &&
        value <= static_cast<double>(defaults.size())) {
        return {defaults[static_cast<std::size_t>(value) - 1]};
    }
    fail(file.name + ": no spectrum \"" + selector + "\"; the file holds " + spectrumList(file));
}

}  // namespace qf::instrument
