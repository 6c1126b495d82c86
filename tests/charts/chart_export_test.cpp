// The chart files: names, formats and failures. Whether a renderer accepts the SVG is checked
// by the command-line test that runs rsvg-convert on them.

#include "charts/chart_export.h"

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <set>
#include <string>

#include "charts/chart_catalogue.h"
#include "support/memory_file_system.h"
#include "support/temp_directory.h"

namespace kavri::charts {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TempDirectory;

// A short genetic run on the bundled weekly DEM/USD returns, with its held-out values.
ChartInput exampleInput() {
    RunSettings settings;
    settings.model = modelPrefill();
    settings.model.seriesPath = std::string(KAVRI_EXAMPLES_DIR) + "/ExchangeRate.txt";
    settings.ga = gaRunDefaults();
    settings.ga.nIterations = 5;
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    TempDirectory files;
    RunOptions options;
    options.seed = 11;
    options.files.directory = files.path();
    ResultTexts texts;
    SilentObserver observer;
    const RunOutcome outcome = runModel(settings, texts, observer, options);
    EXPECT_FALSE(outcome.notice.has_value());
    return chartInputFromRun(outcome, settings);
}

std::set<std::string> filesIn(const fs::path& directory) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(ChartExport, WritesEveryChartUnderItsStableNameAsSvg) {
    const ChartInput input = exampleInput();
    TempDirectory dir;
    const fs::path target = dir.path() / "plots" / "run1";  // created with its parent
    dir.write("stale", "");
    const WrittenCharts written =
        writeCharts(input, QString::fromStdString(target.string()), ImageFormat::kSvg);
    ASSERT_FALSE(written.error.has_value()) << written.error->toStdString();
    EXPECT_EQ(filesIn(target),
              (std::set<std::string>{"acf.svg", "fit.svg", "forecasts.svg", "lag.svg",
                                     "ljungbox.svg", "search.svg", "series.svg"}));
    ASSERT_EQ(written.paths.size(), 7);
    EXPECT_TRUE(written.paths.front().endsWith(QStringLiteral("/series.svg")));
    EXPECT_TRUE(written.paths.back().endsWith(QStringLiteral("/search.svg")));
    for (const ChartDescription& chart : kCharts) {
        const std::string svg = readFile(target / (std::string(chart.fileStem) + ".svg"));
        EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << chart.fileStem;
        EXPECT_NE(svg.find("<title>" + std::string(chart.title) + "</title>"), std::string::npos)
            << chart.fileStem;
        EXPECT_NE(svg.find("</svg>"), std::string::npos) << chart.fileStem;
    }
}

TEST(ChartExport, PngIsDrawnAtTwiceTheChartSize) {
    const ChartInput input = exampleInput();
    TempDirectory dir;
    const QString path = QString::fromStdString((dir.path() / "acf.png").string());
    std::unique_ptr<ChartFigure> figure = buildChart(ChartKind::kAcf, input);
    ASSERT_FALSE(saveFigure(*figure, path, ImageFormat::kPng).has_value());
    QImage image(path);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), (figure->defaultSize() * 2.0).toSize());
    // The corner is the white background, not transparency.
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
}

TEST(ChartExport, FailuresNameThePathAndWriteNothingMore) {
    const ChartInput input = exampleInput();
    TempDirectory dir;
    const fs::path blocker = dir.write("plots", "a file where the directory should be");
    const QString blocked = QString::fromStdString(blocker.string());
    const WrittenCharts written = writeCharts(input, blocked, ImageFormat::kSvg);
    ASSERT_TRUE(written.error.has_value());
    EXPECT_EQ(*written.error, QStringLiteral("could not create the directory %1").arg(blocked));
    EXPECT_TRUE(written.paths.isEmpty());

    std::unique_ptr<ChartFigure> figure = buildChart(ChartKind::kFit, input);
    const QString inside = blocked + QStringLiteral("/fit.svg");
    const std::optional<QString> error = saveFigure(*figure, inside, ImageFormat::kSvg);
    ASSERT_TRUE(error.has_value());
    EXPECT_TRUE(error->startsWith(QStringLiteral("could not write %1: ").arg(inside)))
        << error->toStdString();
}

// A full disk while a chart is saved once read "Unknown error": the system's reason is given,
// and nothing of the run is kept; charts that do not apply, and the other format's files of an
// earlier run, are marked for removal so that the folder holds one run's charts.
TEST(ChartExport, AFullDiskNamesItsReasonAndEarlierChartsAreSuperseded) {
    const ChartInput input = exampleInput();
    TempDirectory dir;
    const QString folder = QString::fromStdString(dir.path().string());
    const std::string fit = (dir.path() / "fit.svg").string();
    testing::MemoryFileSystem memory;
    memory.fail(testing::MemoryFileSystem::Operation::kWrite, fit, std::errc::no_space_on_device);
    RunFileSet full(memory);
    const WrittenCharts failed = writeCharts(input, folder, ImageFormat::kSvg, full);
    ASSERT_TRUE(failed.error.has_value());
    EXPECT_EQ(failed.error->toStdString(), "could not write " + fit + ": No space left on device");

    testing::MemoryFileSystem earlier;
    earlier.put((dir.path() / "fit.png").string(), "an earlier run's picture");
    RunFileSet set(earlier);
    const WrittenCharts written = writeCharts(input, folder, ImageFormat::kSvg, set);
    ASSERT_FALSE(written.error.has_value());
    const CommittedFiles committed = set.commit();
    EXPECT_EQ(committed.removed, std::vector<fs::path>{dir.path() / "fit.png"});
    EXPECT_EQ(committed.written.size(), static_cast<std::size_t>(written.paths.size()));
}

}  // namespace
}  // namespace kavri::charts
