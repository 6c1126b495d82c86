#include "app/status_line.h"

#include <QFontMetrics>
#include <QResizeEvent>

namespace kavri {

StatusLine::StatusLine(int lines, QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(fontMetrics().lineSpacing() * lines + 2 * (margin() + frameWidth()) + 2);
}

void StatusLine::setLines(const QStringList& lines) {
    lines_ = lines;
    setToolTip(fullText());
    showElided();
}

void StatusLine::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showElided();
}

void StatusLine::showElided() {
    const QFontMetrics metrics(font());
    const int available = contentsRect().width() - 2 * margin() - 2;
    QStringList shown;
    for (const QString& line : lines_) {
        shown << metrics.elidedText(line, Qt::ElideMiddle, available);
    }
    setText(shown.join(QLatin1Char('\n')));
}

}  // namespace kavri
