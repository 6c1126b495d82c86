// Draws the application icon into kavri-<size>.png in the current directory. The pictures are
// committed; the target kavri-draw-icon (not built by default) redraws them.
// The picture: a series that crosses a dashed threshold, drawn in one colour per regime.

#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <vector>

namespace {

struct Point {
    double x;
    double y;
};

// On a 256-unit canvas; y grows downwards, the threshold lies at y = 128.
const std::vector<Point> kSeries = {{28, 150}, {52, 176}, {74, 140}, {96, 196}, {118, 112},
                                    {140, 70}, {160, 98}, {182, 52}, {204, 90}, {228, 44}};
constexpr double kThreshold = 128.0;

void drawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    QLinearGradient background(0, 0, 0, 256);
    background.setColorAt(0.0, QColor(0x26, 0x4b, 0x73));
    background.setColorAt(1.0, QColor(0x14, 0x2b, 0x45));
    painter.setPen(Qt::NoPen);
    painter.setBrush(background);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);

    QPen threshold(QColor(0xf4, 0xc4, 0x5a), 10, Qt::CustomDashLine, Qt::FlatCap);
    threshold.setDashPattern({2.2, 1.4});
    painter.setPen(threshold);
    painter.drawLine(QPointF(24, kThreshold), QPointF(232, kThreshold));

    // Each segment takes the colour of the regime of its starting value.
    const QColor lower(0xff, 0x7b, 0x5c);
    const QColor upper(0x5c, 0xe1, 0xd0);
    for (std::size_t i = 0; i + 1 < kSeries.size(); ++i) {
        const QColor colour = kSeries[i].y > kThreshold ? lower : upper;
        painter.setPen(QPen(colour, 18, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPointF(kSeries[i].x, kSeries[i].y),
                         QPointF(kSeries[i + 1].x, kSeries[i + 1].y));
    }
    painter.end();
    image.save(QStringLiteral("kavri-%1.png").arg(size), "PNG");
}

}  // namespace

int main(int argc, char* argv[]) {
    QGuiApplication application(argc, argv);
    for (int size : {16, 32, 48, 256}) {
        drawIcon(size);
    }
    return 0;
}
