#include "charts/chart_export.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "charts/chart_catalogue.h"
#include "report/output_files.h"

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

bool renderFigure(ChartFigure& figure, ImageFormat format, QByteArray& bytes) {
    bytes.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size = figure.defaultSize().toSize();
    if (format == ImageFormat::kSvg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(figure.title());
        svg.setDescription(QStringLiteral("Kavri chart: %1").arg(figure.title()));
        paintFigure(figure, svg);
        return true;
    }
    QImage image(size * kPngScale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kPngScale);
    image.fill(Qt::white);
    paintFigure(figure, image);
    return image.save(&buffer, "PNG");
}

namespace {

// Renders `figure` into a new file of `files` at `path` and commits it (in a RunFileSet: keeps
// it for the set's commit).
std::optional<QString> writeFigure(ChartFigure& figure, const QString& path, ImageFormat format,
                                   OutputFileSystem& files) {
    QByteArray bytes;
    if (!renderFigure(figure, format, bytes)) {
        return failure(path, QStringLiteral("the picture could not be encoded"));
    }
    CreatedFile created = files.create(std::filesystem::path(path.toStdString()));
    if (created.file == nullptr) {
        return failure(path, QString::fromStdString(created.error.message()));
    }
    created.file->write(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // The reason the system gave (no space left on device...), never a generic one.
    if (const std::error_code error = created.file->commit()) {
        return failure(path, QString::fromStdString(error.message()));
    }
    return std::nullopt;
}

}  // namespace

std::optional<QString> saveFigure(ChartFigure& figure, const QString& path, ImageFormat format) {
    return writeFigure(figure, path, format, diskFileSystem());
}

WrittenCharts writeCharts(const ChartInput& input, const QString& directory, ImageFormat format,
                          RunFileSet& set) {
    WrittenCharts written;
    QDir target(directory);
    if (!target.mkpath(QStringLiteral("."))) {
        written.error = QStringLiteral("could not create the directory %1")
                            .arg(QDir::toNativeSeparators(directory));
        return written;
    }
    const auto pathOf = [&target](const ChartDescription& chart, ImageFormat as) {
        return target.filePath(QString::fromLatin1(chart.fileStem) + QLatin1Char('.') +
                               fileExtension(as));
    };
    for (const ChartDescription& chart : kCharts) {
        for (ImageFormat other : {ImageFormat::kSvg, ImageFormat::kPng}) {
            if (other != format || !chartApplies(chart.kind, input)) {
                set.supersede(std::filesystem::path(pathOf(chart, other).toStdString()));
            }
        }
        if (!chartApplies(chart.kind, input)) {
            continue;
        }
        const std::unique_ptr<ChartFigure> figure = buildChart(chart.kind, input);
        const QString path = pathOf(chart, format);
        if (std::optional<QString> error = writeFigure(*figure, path, format, set)) {
            written.error = error;
            return written;
        }
        written.paths.append(path);
    }
    return written;
}

WrittenCharts writeCharts(const ChartInput& input, const QString& directory, ImageFormat format) {
    RunFileSet set(diskFileSystem());
    WrittenCharts written = writeCharts(input, directory, format, set);
    if (written.error) {
        return written;
    }
    const CommittedFiles committed = set.commit();
    if (committed.notice) {
        written.error = QString::fromStdString(committed.notice->detail);
        written.paths.clear();
        for (const std::filesystem::path& path : committed.written) {
            written.paths.append(QString::fromStdString(path.string()));
        }
    }
    return written;
}

}  // namespace kavri::charts
