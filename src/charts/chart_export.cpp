#include "charts/chart_export.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "charts/chart_catalogue.h"

namespace kavri::charts {

namespace {

// Pixels of the PNG per pixel of the chart.
constexpr double kPngScale = 2.0;

QString failure(const QString& path, const QString& reason) {
    return QStringLiteral("could not write %1: %2").arg(QDir::toNativeSeparators(path), reason);
}

void paintFigure(ChartFigure& figure, QPaintDevice& device) {
    QPainter painter(&device);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    figure.render(painter, figure.defaultSize());
}

}  // namespace

QString fileExtension(ImageFormat format) {
    return format == ImageFormat::kSvg ? QStringLiteral("svg") : QStringLiteral("png");
}

std::optional<QString> saveFigure(ChartFigure& figure, const QString& path, ImageFormat format) {
    // Written under a temporary name and renamed at the end, so that a failed save never
    // leaves half a picture under the real name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failure(path, file.errorString());
    }
    const QSize size = figure.defaultSize().toSize();
    if (format == ImageFormat::kSvg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(figure.title());
        svg.setDescription(QStringLiteral("Kavri chart: %1").arg(figure.title()));
        paintFigure(figure, svg);
    } else {
        QImage image(size * kPngScale, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(kPngScale);
        image.fill(Qt::white);
        paintFigure(figure, image);
        if (!image.save(&file, "PNG")) {
            file.cancelWriting();
            return failure(path, QStringLiteral("the picture could not be encoded"));
        }
    }
    if (!file.commit()) {
        return failure(path, file.errorString());
    }
    return std::nullopt;
}

WrittenCharts writeCharts(const ChartInput& input, const QString& directory, ImageFormat format) {
    WrittenCharts written;
    QDir target(directory);
    if (!target.mkpath(QStringLiteral("."))) {
        written.error = QStringLiteral("could not create the directory %1")
                            .arg(QDir::toNativeSeparators(directory));
        return written;
    }
    for (const ChartDescription& chart : kCharts) {
        if (!chartApplies(chart.kind, input)) {
            continue;
        }
        const std::unique_ptr<ChartFigure> figure = buildChart(chart.kind, input);
        const QString path = target.filePath(QString::fromLatin1(chart.fileStem) +
                                             QLatin1Char('.') + fileExtension(format));
        if (std::optional<QString> error = saveFigure(*figure, path, format)) {
            written.error = error;
            return written;
        }
        written.paths.append(path);
    }
    return written;
}

}  // namespace kavri::charts
