#pragma once
// The spectra a user asks for: FILE[:SPECTRUM] on the command line or the
// lines of a series manifest, each export read once, and the choice of
// spectra within an export.

#include <map>
#include <string>
#include <vector>

#include "instrument/export.h"

namespace qf::instrument {

// Where the named texts come from: files on disk for the command line,
// texts handed over in memory for the browser page.
class TextSource {
public:
    virtual ~TextSource() = default;
    virtual bool exists(const std::string& name) const = 0;
    // The whole text; throws qf::RunFailure "NAME: cause" when it cannot.
    virtual std::string read(const std::string& name) const = 0;
};

// Files on disk, at most 64 MiB each.
class FileSource : public TextSource {
public:
    bool exists(const std::string& name) const override;
    std::string read(const std::string& name) const override;
};

// One request: an export, a spectrum in it (empty: all taken by default)
// and, from a manifest, its concentration.
struct Request {
    std::string file;
    std::string selector;
    bool hasConcentration = false;
    double concentration = 0.0;
};

// FILE[:SPECTRUM]: the part after the last colon selects, unless the whole
// text names an existing file.
Request splitRequest(const std::string& text, const TextSource& source);

// A manifest: CSV lines "file,spectrum,concentration" in series order, an
// optional header line, file names relative to the manifest's folder.
std::vector<Request> readManifest(const std::string& path, const TextSource& source);

// The exports, each read once however often it is named, in the order
// they were first asked for.
class ExportCache {
public:
    ExportCache(ReadOptions options, const TextSource& source)
        : options_(options), source_(source) {}
    const ExportFile& get(const std::string& path);
    // An export read already, or nullptr.
    const ExportFile* find(const std::string& path) const;
    const std::vector<std::string>& order() const { return order_; }

private:
    ReadOptions options_;
    const TextSource& source_;
    std::map<std::string, ExportFile> files_;
    std::vector<std::string> order_;
};

// The spectra a selector names: all taken by default when it is empty, or
// one by excitation wavelength (in a matrix), name, or 1-based number.
std::vector<const ExportSpectrum*> selectSpectra(const ExportFile& file, const std::string& selector);

// "\"A\", \"B\", ..." for messages.
std::string spectrumList(const ExportFile& file);

}  // namespace qf::instrument
