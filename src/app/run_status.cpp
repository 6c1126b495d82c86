#include "app/run_status.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>

#include "report/result_files.h"

namespace kavri {

namespace {

QString fullPath(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(
        QFileInfo(QString::fromStdString(path.string())).absoluteFilePath());
}

bool usedGeneticSearch(const RunSettings& used) {
    return used.model.selectModel == kSelectModelSearch && used.ga.searchMethod == kSearchGenetic;
}

}  // namespace

QStringList runStatusLines(const RunSettings& used, const RunOutcome& outcome) {
    const QString series = fullPath(used.model.seriesPath);
    if (outcome.notice) {
        QStringList lines{QStringLiteral("Series: %1").arg(series),
                          QStringLiteral("The run ended without a result: %1")
                              .arg(QString::fromStdString(outcome.notice->text).trimmed())};
        if (!outcome.notice->detail.empty()) {
            lines << QString::fromStdString(outcome.notice->detail).trimmed();
        }
        return lines;
    }

    QStringList lines{QStringLiteral("Series read: %1").arg(series)};
    // The files this run put in place, and those of an earlier run it removed (Predictions.txt
    // when nothing is held out, Forecasts.txt of an earlier model).
    QStringList written;
    for (const std::filesystem::path& path : outcome.files.written) {
        QString line = fullPath(path);
        if (path.filename() == kResidualsFileName && used.ga.printResiduals != kPrintResidualsYes) {
            line += QStringLiteral(" (empty: Print Residual is No)");
        }
        written << line;
    }
    if (!outcome.model.available) {
        lines << QStringLiteral(
            "No model was estimated, so no result file was written: the files there are as the "
            "earlier run left them");
    }
    if (!written.isEmpty()) {
        lines << QStringLiteral("Written: %1").arg(written.join(QStringLiteral(", ")));
    }
    QStringList removed;
    for (const std::filesystem::path& path : outcome.files.removed) {
        removed << fullPath(path);
    }
    if (!removed.isEmpty()) {
        lines << QStringLiteral("Removed (an earlier run's, not produced by this run): %1")
                     .arg(removed.join(QStringLiteral(", ")));
    }
    if (usedGeneticSearch(used)) {
        lines << QStringLiteral(
                     "Seed: %1 (the same seed and settings repeat this run: Seed in Parameter of "
                     "GA, or kavri-cli --seed %1)")
                     .arg(outcome.seed);
    }
    return lines;
}

}  // namespace kavri
