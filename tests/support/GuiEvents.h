#pragma once
// Synthesised input and window helpers for the widget and GL tests.
#include <QApplication>
#include <QBackingStore>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest>
#include <optional>

namespace orvane::test {

// A wheel event at the widget's centre, or at `at`; 120 is one notch away from the user.
inline void SendWheel(QWidget* target, int angleDelta, std::optional<QPoint> at = std::nullopt,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const QPointF where =
        at ? QPointF(*at) : QPointF(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(where, target->mapToGlobal(where), QPoint(), QPoint(0, angleDelta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

inline void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
                      Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, modifiers);
    QApplication::sendEvent(target, &event);
}

// What Qt has painted of `widget` so far, read from its window's backing
// store rather than painted afresh (as grab() would): a test of what was
// painted when. GL widgets are composed later and are not in it.
inline QImage PaintedPixels(QWidget* widget) {
    QWidget* window = widget->window();
    const auto* store = dynamic_cast<const QImage*>(window->backingStore()->paintDevice());
    if (!store)
        return QImage();
    const QPoint at = widget->mapTo(window, QPoint(0, 0));
    const qreal ratio = store->devicePixelRatio();
    return store->copy(QRect(at * ratio, widget->size() * ratio));
}

// What the window system shows of `widget`, read back from the screen. The
// screen follows the painting asynchronously (the window is composed with
// OpenGL once it holds a GL widget): compare with QTRY_*. Reads through the
// top-level window, so no native child is made.
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
