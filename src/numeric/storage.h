#pragma once

// Zero-filled vectors and matrices whose index range is chosen by the caller: a lower and an
// upper bound, both inclusive. A vector with bounds lo..hi is one block of hi - lo + 2 elements
// (one spare element in front); a matrix is a row table plus one data block in which the rows
// lie one after another, so a whole matrix can be walked through consecutive memory.
//
// A request that the platform refuses, or one with a negative element count (hi < lo - 1),
// ends the process through fatal_error: three lines on standard error and exit status 1.
// That exit is the only place where library code ends the process.

#include <cstddef>
#include <utility>

namespace kavri {

// Writes "Numerical Recipes run-time error...", the message and "...now exiting to system..."
// as three lines on standard error, then ends the process with exit status 1.
[[noreturn]] void fatal_error(const char* message);

namespace storage_detail {
// Zero-filled block of `count` elements of `size` bytes, or fatal_error(failureMessage).
void* allocateZeroed(long long count, std::size_t size, const char* failureMessage);
void releaseBlock(void* block);
}  // namespace storage_detail

template <typename T>
class BoundedVector {
 public:
    BoundedVector() = default;
    BoundedVector(int lo, int hi, const char* failureMessage)
        : block_(static_cast<T*>(storage_detail::allocateZeroed(static_cast<long long>(hi) - lo + 2,
                                                                sizeof(T), failureMessage))),
          lo_(lo),
          hi_(hi) {}
    BoundedVector(const BoundedVector&) = delete;
    BoundedVector& operator=(const BoundedVector&) = delete;
    BoundedVector(BoundedVector&& other) noexcept { swap(other); }
    BoundedVector& operator=(BoundedVector&& other) noexcept {
        BoundedVector(std::move(other)).swap(*this);
        return *this;
    }
    ~BoundedVector() { release(); }

    // Indices lo..hi are valid; nothing checks them.
    T& operator[](int i) { return block_[i - lo_ + 1]; }
    const T& operator[](int i) const { return block_[i - lo_ + 1]; }

    // Address of element lo: the range as a plain 0-based array.
    T* data() { return block_ + 1; }
    const T* data() const { return block_ + 1; }

    int lo() const { return lo_; }
    int hi() const { return hi_; }
    bool allocated() const { return block_ != nullptr; }

    void release() {
        storage_detail::releaseBlock(block_);
        block_ = nullptr;
    }

 private:
    void swap(BoundedVector& other) noexcept {
        std::swap(block_, other.block_);
        std::swap(lo_, other.lo_);
        std::swap(hi_, other.hi_);
    }

    T* block_ = nullptr;
    int lo_ = 0;
    int hi_ = -1;
};

template <typename T>
class BoundedMatrix {
 public:
    BoundedMatrix() = default;
    BoundedMatrix(int rlo, int rhi, int clo, int chi) : rlo_(rlo), rhi_(rhi), clo_(clo), chi_(chi) {
        const long long nrow = static_cast<long long>(rhi) - rlo + 1;
        const long long ncol = static_cast<long long>(chi) - clo + 1;
        rows_ = static_cast<T**>(storage_detail::allocateZeroed(
            nrow + 1, sizeof(T*), "allocation failure 1 in matrix()"));
        const long long cells = (nrow < 0 || ncol < 0) ? -1 : nrow * ncol + 1;
        data_ = static_cast<T*>(
            storage_detail::allocateZeroed(cells, sizeof(T), "allocation failure 2 in matrix()"));
        for (long long i = 0; i < nrow; ++i) {
            rows_[i + 1] = data_ + 1 + i * ncol;
        }
    }
    BoundedMatrix(const BoundedMatrix&) = delete;
    BoundedMatrix& operator=(const BoundedMatrix&) = delete;
    BoundedMatrix(BoundedMatrix&& other) noexcept { swap(other); }
    BoundedMatrix& operator=(BoundedMatrix&& other) noexcept {
        BoundedMatrix(std::move(other)).swap(*this);
        return *this;
    }
    ~BoundedMatrix() { release(); }

    // Row i as an array indexed by the caller's column numbers: m.row(i)[j], clo <= j <= chi.
    // Only column lower bounds 0 and 1 are used in this program.
    T* row(int i) { return rows_[i - rlo_ + 1] - clo_; }
    const T* row(int i) const { return rows_[i - rlo_ + 1] - clo_; }
    T* operator[](int i) { return row(i); }
    const T* operator[](int i) const { return row(i); }

    int rowLo() const { return rlo_; }
    int rowHi() const { return rhi_; }
    int colLo() const { return clo_; }
    int colHi() const { return chi_; }
    bool allocated() const { return data_ != nullptr; }

    // Releases the data block, then the row table.
    void release() {
        storage_detail::releaseBlock(data_);
        storage_detail::releaseBlock(rows_);
        data_ = nullptr;
        rows_ = nullptr;
    }

 private:
    void swap(BoundedMatrix& other) noexcept {
        std::swap(rows_, other.rows_);
        std::swap(data_, other.data_);
        std::swap(rlo_, other.rlo_);
        std::swap(rhi_, other.rhi_);
        std::swap(clo_, other.clo_);
        std::swap(chi_, other.chi_);
    }

    T** rows_ = nullptr;
    T* data_ = nullptr;
    int rlo_ = 0;
    int rhi_ = -1;
    int clo_ = 0;
    int chi_ = -1;
};

using DVector = BoundedVector<double>;
using IVector = BoundedVector<int>;
using DMatrix = BoundedMatrix<double>;
using IMatrix = BoundedMatrix<int>;

DVector dvector(int lo, int hi);
IVector ivector(int lo, int hi);
DMatrix matrix(int rlo, int rhi, int clo, int chi);
IMatrix intmatrix(int rlo, int rhi, int clo, int chi);

// Early release with the bounds of the allocation; the destructor releases otherwise.
void release_dvector(DVector& v, int lo, int hi);
void release_ivector(IVector& v, int lo, int hi);
void release_matrix(DMatrix& m, int rlo, int rhi, int clo, int chi);
void release_matrix(IMatrix& m, int rlo, int rhi, int clo, int chi);

}  // namespace kavri
