#pragma once
#include <QWidget>
#include <functional>

namespace orvane::app {

// The 2D view's surface: a thin widget that hands its paint and pointer events
// to the frame. It paints its whole area itself, so Qt never erases beneath it.
class ImageBox : public QWidget {
    Q_OBJECT
public:
    explicit ImageBox(QWidget* parent);

    std::function<void(QPainter&)> OnPaint;
    std::function<void(Qt::MouseButton, int x, int y)> OnMouseDown;
    // The keyboard modifiers held at the last press (Shift draws an area).
    Qt::KeyboardModifiers PressModifiers() const { return pressModifiers_; }
    std::function<void(int x, int y)> OnMouseMove;
    std::function<void(Qt::MouseButton, int x, int y)> OnMouseUp;
    std::function<void()> OnMouseEnter;
    std::function<void()> OnMouseLeave;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    Qt::KeyboardModifiers pressModifiers_;
};

} // namespace orvane::app
