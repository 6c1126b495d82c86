#include "numeric/storage.h"

#include <gtest/gtest.h>

namespace kavri {
namespace {

TEST(Storage, VectorsAreZeroFilledOverTheirInclusiveRange) {
    DVector v = dvector(0, 9);
    IVector w = ivector(1, 5);
    for (int i = 0; i <= 9; ++i) EXPECT_EQ(v[i], 0.0);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(w[i], 0);
    w[5] = 7;
    EXPECT_EQ(w.data()[4], 7);
}

TEST(Storage, MatrixRowsAreAdjacentInMemory) {
    DMatrix m = matrix(0, 4, 0, 3);
    EXPECT_EQ(&m[1][3] + 1, &m[2][0]);
    IMatrix a = intmatrix(1, 3, 1, 3);
    EXPECT_EQ(&a[1][3] + 1, &a[2][1]);
    EXPECT_EQ(a[3][3], 0);
}

TEST(Storage, EmptyRangeStillSucceeds) {
    DVector v = dvector(3, 2);
    EXPECT_TRUE(v.allocated());
}

TEST(StorageDeathTest, RefusedRequestsEndWithThreeLinesAndStatusOne) {
    EXPECT_EXIT(dvector(5, 2), testing::ExitedWithCode(1),
                "^Numerical Recipes run-time error...\nallocation failure in dvector\\(\\)\n"
                "...now exiting to system...\n$");
    EXPECT_EXIT(ivector(5, 2), testing::ExitedWithCode(1), "allocation failure in ivector\\(\\)");
    EXPECT_EXIT(matrix(5, 2, 0, 1), testing::ExitedWithCode(1),
                "allocation failure 1 in matrix\\(\\)");
    EXPECT_EXIT(intmatrix(0, 1, 5, 2), testing::ExitedWithCode(1),
                "allocation failure 2 in matrix\\(\\)");
}

}  // namespace
}  // namespace kavri
