#pragma once

// A few lines of plain text under the main window's controls that tell where a run read its
// series and wrote its files. It takes the width the window gives it and never widens the
// window: a line too long for it is shortened in the middle ("/home/.../Residuals.txt"), so
// that both the start of a path and the file name stay visible, and the whole text is in the
// tooltip. The height is fixed to `lines` lines, so the window does not change size either.

#include <QLabel>
#include <QStringList>

namespace kavri {

class StatusLine : public QLabel {
    Q_OBJECT

 public:
    StatusLine(int lines, QWidget* parent);

    void setLines(const QStringList& lines);
    QString fullText() const { return lines_.join(QLatin1Char('\n')); }

 protected:
    void resizeEvent(QResizeEvent* event) override;

 private:
    void showElided();

    QStringList lines_;
};

}  // namespace kavri
