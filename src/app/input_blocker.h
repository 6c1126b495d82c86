#pragma once

// While an InputBlocker lives, clicks, keys, wheel turns and context-menu requests addressed to
// any widget are dropped rather than queued. A run keeps the user-interface thread busy and only
// lets paint events through; without this, what the user pressed meanwhile would all be played
// back once the run returns (a second run started by an impatient Enter, for instance).

#include <QObject>

namespace kavri {

class InputBlocker : public QObject {
 public:
    InputBlocker();
    ~InputBlocker() override;

    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

 protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kavri
