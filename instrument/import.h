#pragma once
// `trpfit import`: instrument exports to one data file that quenfit or
// monofit reads.
//
//  1. Every input FILE[:SPECTRUM] is read in its layout and gives named
//     spectra; SPECTRUM picks one by name, 1-based number or, in a matrix,
//     excitation wavelength.
//  2. The spectra (and a measured standard) go on one grid.
//  3. The measured standard is the instrument's recording (--standard), or,
//     for spectra already corrected (--corrected, or a file that says so),
//     the built-in standard table itself, so that the correction is a
//     constant that the normalization removes. An option that contradicts
//     what an export states is refused, naming the line, unless
//     --override-header.
//  4. Several spectra with concentrations make a quenching series for
//     quenfit; one spectrum without makes a monofit file.
//  5. The text is read back with the programs' own reader and checks,
//     written beside its final name, and only then put in place.
//
// The import itself works on texts (import_text.h); runImport reads and
// writes the files around it. Both return what happened (import_options.h:
// done, refused, contradictory options) and the messages without any
// program's name; `trpfit import` and the browser page say them.

#include "instrument/import_text.h"

namespace qf::instrument {

// Runs the import on the files named and writes `options.output`: whole or
// not at all, never over an existing file unless `options.force`. The
// result is the in-memory import's; a file that cannot be read or written
// refuses it, the message naming the file. Nothing is printed.
ImportTextResult runImport(const ImportOptions& options);

}  // namespace qf::instrument
