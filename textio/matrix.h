#pragma once
// A small dense row-major matrix of doubles with bounds-checked growth:
// spectra by window points, components by spectra.

#include <cstddef>
#include <vector>

namespace qf {

class Matrix {
public:
    Matrix() = default;
    Matrix(int rows, int cols, double value = 0.0) { resize(rows, cols, value); }

    void resize(int rows, int cols, double value = 0.0) {
        rows_ = rows;
        cols_ = cols;
        data_.assign(static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), value);
    }
    int rows() const { return rows_; }
    int cols() const { return cols_; }

    double& operator()(int r, int c) { return data_[index(r, c)]; }
    double operator()(int r, int c) const { return data_[index(r, c)]; }
    const double* row(int r) const { return data_.data() + index(r, 0); }
    double* row(int r) { return data_.data() + index(r, 0); }

private:
    std::size_t index(int r, int c) const {
        return static_cast<std::size_t>(r) * static_cast<std::size_t>(cols_) +
               static_cast<std::size_t>(c);
    }
    int rows_ = 0;
    int cols_ = 0;
    std::vector<double> data_;
};

}  // namespace qf
