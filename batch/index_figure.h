#pragma once
// The figure of the index page: the component positions L (with DL as an
// error bar) of every input and stage, one row each, coloured by spectral
// class, so that a set of samples can be compared at a glance.

#include <string>

#include "textio/csv_text.h"

namespace qf::batch {

// `components`: the batch's components table (columns file, stage, L_nm,
// DL_nm and class are used). Returns the <svg> element, or "" when the
// table has no component. A missing column or a position that is not a
// number is a FileFailure naming the table, the line and the column.
std::string componentPositionsSvg(const text::CsvTable& components);

}  // namespace qf::batch
