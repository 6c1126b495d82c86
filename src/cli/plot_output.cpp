#include "cli/plot_output.h"

#include <QApplication>
#include <QDir>
#include <memory>

#include "charts/chart_export.h"

namespace kavri::cli {

namespace {

// Qt Charts draws through the widgets module, which needs an application object. The command
// line never opens a window: the offscreen platform draws without a display, and an X server
// that is named but unreachable cannot end the process.
std::unique_ptr<QApplication> headlessApplication() {
    if (QApplication::instance() != nullptr) {
        return nullptr;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "kavri-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

// Qt's own notes (such as where it keeps its runtime files) are no business of the user of a
// batch program; its errors are passed on.
void forwardQtErrors(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "kavri-cli: %s\n", message.toLocal8Bit().constData());
    }
}

}  // namespace

std::optional<std::string> writeRunCharts(const CliRequest& request, const RunOutcome& outcome,
                                          const DelayScanOutcome* scan,
                                          const ForecastOutcome* forecasts, RunFileSet& set,
                                          std::vector<std::filesystem::path>& paths) {
    qInstallMessageHandler(forwardQtErrors);
    const std::unique_ptr<QApplication> application = headlessApplication();
    const charts::ChartInput input = charts::chartInputFromRun(
        outcome, request.settings, scan, forecasts ? &forecasts->forecasts : nullptr);
    const charts::ImageFormat format = request.plotFormat == PlotFormat::kPng
                                           ? charts::ImageFormat::kPng
                                           : charts::ImageFormat::kSvg;
    const charts::WrittenCharts written =
        charts::writeCharts(input, QString::fromStdString(request.plotsDirectory), format, set);
    for (const QString& path : written.paths) {
        paths.emplace_back(QDir::toNativeSeparators(path).toLocal8Bit().toStdString());
    }
    if (written.error) {
        return written.error->toLocal8Bit().toStdString();
    }
    return std::nullopt;
}

}  // namespace kavri::cli
