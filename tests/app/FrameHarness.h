#pragma once
// Drives the main window as a user would: every open goes through the menu's
// "Open" with the file dialog answered, and message boxes are recorded.
#include "app/ImageFrame.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "view3d/SurfaceFormat.h"
#include "tools/TiffWriter.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

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

class FrameHarness {
public:
    QTemporaryDir dir;
    std::unique_ptr<TForm1> form;
    QStringList messages;
    QString answer;

    // `clientSize` is the frame's size (default: a 1200 x 700 image area).
    explicit FrameHarness(QSize clientSize = QSize(1200, 797)) {
        UseCompatibilitySurfaceFormat();
        SetMessageRecorder([this](MessageKind, const QString& text) { messages << text; });
        TOpenDialog::SetAnswer([this](const QString&, const QString&) {
            return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
        });
        form = std::make_unique<TForm1>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("main window not exposed");
        SetClientSize(clientSize);
    }

    ~FrameHarness() {
        form.reset();
        SetMessageRecorder({});
        TOpenDialog::SetAnswer({});
    }

    TTarsunFrame& Frame() { return *form->FrameTarsun; }

    void SetClientSize(QSize size) {
        for (int i = 0; i < 5 && Frame().size() != size; ++i) {
            form->resize(size + (form->size() - Frame().size()));
            QCoreApplication::processEvents();
        }
        QCOMPARE_EQ_OR_FATAL(Frame().size(), size);
    }

    QString Path(const QString& name) const { return dir.filePath(name); }

    QString Write(const QString& name, TiffSpec spec,
                  const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& sample) {
        if (!WriteTiff(Path(name), spec,
                       [&](std::uint32_t x, std::uint32_t y, int) { return sample(x, y); }))
            qFatal("cannot write fixture");
        return Path(name);
    }

    QString Write(const QString& name, TiffSpec spec, std::uint32_t value = 0x8000) {
        if (spec.width == 0) {
            spec.width = 64;
            spec.height = 48;
        }
        return Write(name, spec, [value](std::uint32_t, std::uint32_t) { return value; });
    }

    void Open(const QString& path) {
        messages.clear();
        answer = path;
        form->Open1->trigger();
        answer.clear();
    }

private:
    static void QCOMPARE_EQ_OR_FATAL(QSize a, QSize b) {
        if (a != b)
            qFatal("frame size %dx%d, wanted %dx%d", a.width(), a.height(), b.width(), b.height());
    }
};
