#include "app/input_blocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace kavri {

InputBlocker::InputBlocker() { QCoreApplication::instance()->installEventFilter(this); }

InputBlocker::~InputBlocker() { QCoreApplication::instance()->removeEventFilter(this); }

bool InputBlocker::passes(QObject* watched) const {
    if (allowed_ == nullptr || !allowed_->isVisible() || !allowed_->isEnabled()) {
        return false;
    }
    if (watched->isWindowType()) {
        // The window hands a click to the widget under the mouse and a key to the focused one;
        // those reach this filter again, where only the widget let through passes.
        return static_cast<QWindow*>(watched) == allowed_->window()->windowHandle();
    }
    const auto* widget = static_cast<QWidget*>(watched);
    return widget == allowed_ || allowed_->isAncestorOf(widget);
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        return true;  // an action's shortcut: dropped whatever the receiver
    }
    if (!watched->isWidgetType() && !watched->isWindowType()) {
        return false;
    }
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
            return !passes(watched);
        default:
            return false;
    }
}

}  // namespace kavri
