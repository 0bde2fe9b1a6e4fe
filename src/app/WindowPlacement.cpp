#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace WindowPlacement {

QRect within(const QRect& wanted, const QRect& available) {
    if (!available.isValid()) {
        return wanted;
    }
    const int w = std::min(wanted.width(), available.width());
    const int h = std::min(wanted.height(), available.height());
    const int x =
        std::clamp(wanted.x(), available.left(), available.left() + available.width() - w);
    const int y = std::clamp(wanted.y(), available.top(), available.top() + available.height() - h);
    return {x, y, w, h};
}

void keepOnScreen(QWidget* window, const QWidget* owner) {
    const QScreen* screen = owner != nullptr && owner->screen() != nullptr
                                ? owner->screen()
                                : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // The frame (title bar and borders) counts: the title bar must stay reachable.
    const QRect frame = window->frameGeometry();
    const int extraW = frame.width() - window->width();
    const int extraH = frame.height() - window->height();
    const QRect placed = within(frame, screen->availableGeometry());
    window->resize(placed.width() - extraW, placed.height() - extraH);
    window->move(placed.topLeft());
}

void closeWithEscape(QWidget* window) {
    // A filter on the window sees Esc once no control inside took it (a text box does not).
    class EscapeCloses : public QObject {
    public:
        using QObject::QObject;

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override {
            if (event->type() == QEvent::KeyPress &&
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
                static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
                static_cast<QWidget*>(watched)->close();
                return true;
            }
            return false;
        }
    };
    window->installEventFilter(new EscapeCloses(window));
}

} // namespace WindowPlacement
