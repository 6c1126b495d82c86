#include "report/evaluation_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/memory_file_system.h"

namespace kavri {
namespace {

using testing::MemoryFileSystem;
using Operation = MemoryFileSystem::Operation;

HoldoutForecasts oneForecast() {
    HoldoutForecasts forecasts;
    forecasts.observed = {1.0};
    forecasts.forecast = {0.5};
    forecasts.error = {0.5};
    forecasts.mse = 0.25;
    return forecasts;
}

void putEarlierFiles(MemoryFileSystem& files) {
    files.put("Residuals.txt", "earlier residuals\n");
    files.put("Predictions.txt", "earlier forecasts\n");
}

void expectEarlierFiles(const MemoryFileSystem& files) {
    EXPECT_EQ(files.read("Residuals.txt"), "earlier residuals\n");
    EXPECT_EQ(files.read("Predictions.txt"), "earlier forecasts\n");
}

// One evaluation that writes the table and the forecasts, then commits.
MaybeNotice evaluate(MemoryFileSystem& fileSystem) {
    EvaluationFiles files(ResultFiles{{}, &fileSystem});
    if (MaybeNotice notice = files.openResiduals()) return notice;
    const double one = 1.0;
    files.writeResidualTable(&one, &one, &one, 1);
    if (MaybeNotice notice = files.writePredictions(oneForecast())) return notice;
    return files.commit();
}

TEST(EvaluationFiles, BothAreCompletedBeforeEitherReplacesItsOldFile) {
    MemoryFileSystem files;
    putEarlierFiles(files);
    ASSERT_FALSE(evaluate(files).has_value());
    EXPECT_EQ(files.read("Residuals.txt"),
              " Series\t         Fit\t         Residuals\n 1.00000\t 1.00000\t 1.00000\n");
    EXPECT_EQ(files.read("Predictions.txt"),
              " Series \t Predictions\tError   \n 1.00000\t 0.50000\t 0.50000\n");
    std::vector<std::string> order;
    for (const std::string& entry : files.log()) {
        if (entry.rfind("write", 0) != 0) order.push_back(entry);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"create Residuals.txt", "create Predictions.txt",
                                               "finish Residuals.txt", "finish Predictions.txt",
                                               "commit Residuals.txt", "commit Predictions.txt"}));
}

// A failed Residuals.txt write must not leave a new Predictions.txt beside the old table, nor a
// failed Predictions.txt write a new table beside the old forecasts.
TEST(EvaluationFiles, AFileThatCannotBeWrittenReplacesNeither) {
    MemoryFileSystem residualsFull;
    putEarlierFiles(residualsFull);
    residualsFull.fail(Operation::kWrite, "Residuals.txt", std::errc::no_space_on_device, 1);
    const MaybeNotice residuals = evaluate(residualsFull);
    ASSERT_TRUE(residuals.has_value());
    EXPECT_EQ(residuals->text, "Residuals.txt could not be written completely\n");
    EXPECT_EQ(residuals->detail,
              "Residuals.txt could not be replaced: No space left on device. The earlier file "
              "was left as it was.");
    expectEarlierFiles(residualsFull);
    EXPECT_EQ(residualsFull.count("discard Predictions.txt"), 1u);

    MemoryFileSystem predictionsFull;
    putEarlierFiles(predictionsFull);
    predictionsFull.fail(Operation::kWrite, "Predictions.txt", std::errc::io_error);
    const MaybeNotice predictions = evaluate(predictionsFull);
    ASSERT_TRUE(predictions.has_value());
    EXPECT_EQ(predictions->text, "Predictions.txt could not be written completely\n");
    expectEarlierFiles(predictionsFull);
}

TEST(EvaluationFiles, UncommittedFilesAreDiscardedAndCreateFailuresGiveTheReason) {
    MemoryFileSystem files;
    putEarlierFiles(files);
    {
        EvaluationFiles abandoned(ResultFiles{{}, &files});
        ASSERT_FALSE(abandoned.openResiduals().has_value());
        ASSERT_FALSE(abandoned.writePredictions(oneForecast()).has_value());
    }
    expectEarlierFiles(files);
    EXPECT_EQ(files.count("discard Residuals.txt"), 1u);
    EXPECT_EQ(files.count("discard Predictions.txt"), 1u);

    files.fail(Operation::kCreate, "dir/Residuals.txt", std::errc::is_a_directory);
    EvaluationFiles refused(ResultFiles{"dir", &files});
    const MaybeNotice notice = refused.openResiduals();
    ASSERT_TRUE(notice.has_value());
    EXPECT_EQ(notice->text,
              "Kavri Directory do not exist or Residuals.txt File could not be opened\n");
    EXPECT_EQ(notice->detail,
              "dir/Residuals.txt cannot be created: Is a directory. Move it away or run in "
              "another directory: only a regular file, a FIFO or a character device is written "
              "under a result file's name.");
}

}  // namespace
}  // namespace kavri
