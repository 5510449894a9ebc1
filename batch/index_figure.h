#pragma once
// The figure of the index page: the component positions L (with DL as an
// error bar) of every input and stage, one row each, coloured by spectral
// class, so that a set of samples can be compared at a glance.

#include <string>
#include <vector>

namespace qf::batch {

// `components`: the batch's components table, heading first (columns file,
// stage, L_nm, DL_nm and class are used). Returns the <svg> element, or ""
// when the table has no component.
std::string componentPositionsSvg(const std::vector<std::vector<std::string>>& components);

}  // namespace qf::batch
