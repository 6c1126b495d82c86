#pragma once

// While an InputBlocker lives, clicks, keys, wheel turns and context-menu requests addressed to
// any widget are dropped rather than queued. A run keeps the user-interface thread busy and only
// lets paint events through; without this, what the user pressed meanwhile would all be played
// back once the run returns (a second run started by an impatient Enter, for instance).
//
// One widget may be let through (a Cancel button shown while the work runs): its own clicks and
// keys reach it, and its window passes them on to it, while every other widget's are dropped.
// Shortcuts are dropped whoever owns them, so that no action (F1's About box) opens a window
// in the middle of the work.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace kavri {

class InputBlocker : public QObject {
 public:
    InputBlocker();
    ~InputBlocker() override;

    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    // The widget whose input passes; null: none.
    void letThrough(QWidget* widget) { allowed_ = widget; }

 protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

 private:
    bool passes(QObject* watched) const;

    QPointer<QWidget> allowed_;
};

}  // namespace kavri
