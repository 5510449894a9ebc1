#pragma once
// The spectra a user asks for: FILE[:SPECTRUM] on the command line or the
// lines of a series manifest, each export read once, and the choice of
// spectra within an export.

#include <map>
#include <string>
#include <vector>

#include "instrument/export.h"

namespace qf::instrument {

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
Request splitRequest(const std::string& text);

// A manifest: CSV lines "file,spectrum,concentration" in series order, an
// optional header line, file names relative to the manifest's folder.
std::vector<Request> readManifest(const std::string& path);

// The exports, each read once however often it is named.
class ExportCache {
public:
    explicit ExportCache(ReadOptions options) : options_(options) {}
    const ExportFile& get(const std::string& path);

private:
    ReadOptions options_;
    std::map<std::string, ExportFile> files_;
};

// The spectra a selector names: all taken by default when it is empty, or
// one by excitation wavelength (in a matrix), name, or 1-based number.
std::vector<const ExportSpectrum*> selectSpectra(const ExportFile& file, const std::string& selector);

// "\"A\", \"B\", ..." for messages.
std::string spectrumList(const ExportFile& file);

}  // namespace qf::instrument
