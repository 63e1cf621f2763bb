#pragma once
// Synthesised input and window helpers for the widget and GL tests.
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest>

namespace orvane::test {

// A wheel event at the widget's centre; 120 is one notch away from the user.
inline void SendWheel(QWidget* target, int angleDelta) {
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, angleDelta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// What the window system shows of `widget` now, read back from the screen
// rather than painted afresh (as grab() would): a test of what was painted
// when. Reads through the top-level window, so no native child is made.
inline QImage ScreenPixels(QWidget* widget) {
    QWidget* window = widget->window();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), widget->width(), widget->height())
        .toImage();
}

// Resizes and shows a top-level widget and waits until the window system has
// exposed it; false when it never was.
[[nodiscard]] inline bool ShowExposed(QWidget& widget, QSize size) {
    widget.resize(size);
    widget.show();
    return QTest::qWaitForWindowExposed(&widget);
}

} // namespace orvane::test
