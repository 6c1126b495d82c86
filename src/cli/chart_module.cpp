// kavri-cli-charts.so: the charts of kavri-cli --plots, drawn with Qt Charts. kavri-cli opens
// this module only when charts are asked for (cli/plot_output.cpp), so that a run without
// them never loads Qt.

#include "cli/chart_module.h"

#include <QApplication>
#include <QDir>
#include <exception>
#include <memory>

#include "charts/chart_export.h"
#include "cli/exit_codes.h"

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

int writeCharts(const ChartJob& job) {
    qInstallMessageHandler(forwardQtErrors);
    const std::unique_ptr<QApplication> application = headlessApplication();
    const charts::ChartInput input = charts::chartInputFromRun(
        *job.outcome, *job.settings, job.scan, job.forecasts ? &job.forecasts->forecasts : nullptr,
        job.thresholdLevel);
    const charts::ImageFormat format =
        job.png ? charts::ImageFormat::kPng : charts::ImageFormat::kSvg;
    const charts::WrittenCharts written =
        charts::writeCharts(input, QString::fromStdString(*job.directory), format, *job.set);
    for (const QString& path : written.paths) {
        job.paths->emplace_back(QDir::toNativeSeparators(path).toLocal8Bit().toStdString());
    }
    if (written.error) {
        *job.error = written.error->toLocal8Bit().toStdString();
        return kExitPlotFailure;
    }
    return kExitSuccess;
}

// No exception may cross into kavri-cli's own frames without being reported as what it is: a
// chart that could not be written, after the results were.
int writeChartsReportingFailure(const ChartJob& job) {
    try {
        return writeCharts(job);
    } catch (const std::exception& failure) {
        *job.error = std::string("the charts could not be drawn: ") + failure.what();
    }
    return kExitPlotFailure;
}

}  // namespace

}  // namespace kavri::cli

extern "C" __attribute__((visibility("default"))) const kavri::cli::ChartModule*
kavri_cli_chart_module() {
    static const kavri::cli::ChartModule module{kavri::cli::thisChartInterface(),
                                                &kavri::cli::writeChartsReportingFailure};
    return &module;
}
