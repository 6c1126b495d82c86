#include "numeric/storage.h"

#include <cstdio>
#include <cstdlib>

namespace kavri {

void fatal_error(const char* message) {
    std::fputs("Numerical Recipes run-time error...\n", stderr);
    std::fprintf(stderr, "%s\n", message);
    std::fputs("...now exiting to system...\n", stderr);
    std::exit(1);
}

namespace storage_detail {

void* allocateZeroed(long long count, std::size_t size, const char* failureMessage) {
    // A count below one (hi < lo - 1) is a request no allocator can honour: refuse it like a
    // failed allocation rather than let it wrap into a huge unsigned size.
    if (count < 1) {
        fatal_error(failureMessage);
    }
    void* block = std::calloc(static_cast<std::size_t>(count), size);
    if (block == nullptr) {
        fatal_error(failureMessage);
    }
    return block;
}

void releaseBlock(void* block) { std::free(block); }

}  // namespace storage_detail

DVector dvector(int lo, int hi) { return DVector(lo, hi, "allocation failure in dvector()"); }

IVector ivector(int lo, int hi) { return IVector(lo, hi, "allocation failure in ivector()"); }

DMatrix matrix(int rlo, int rhi, int clo, int chi) { return DMatrix(rlo, rhi, clo, chi); }

IMatrix intmatrix(int rlo, int rhi, int clo, int chi) { return IMatrix(rlo, rhi, clo, chi); }

void release_dvector(DVector& v, int /*lo*/, int /*hi*/) { v.release(); }

void release_ivector(IVector& v, int /*lo*/, int /*hi*/) { v.release(); }

void release_matrix(DMatrix& m, int, int, int, int) { m.release(); }

void release_matrix(IMatrix& m, int, int, int, int) { m.release(); }

}  // namespace kavri
