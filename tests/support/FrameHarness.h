#pragma once
// Drives the main window as a user would: every open goes through the menu's
// "Open" with the file dialog answered, and message boxes are recorded.
#include "app/ImageFrame.h"
#include "app/MainWindow.h"
#include "tests/support/GuiEvents.h"
#include "tools/TiffWriter.h"

#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace orvane::test {

class FrameHarness {
public:
    QTemporaryDir dir;
    std::unique_ptr<app::MainWindow> form;
    QStringList messages;
    QList<image::MessageKind> messageKinds;
    QString answer;                              // the next file dialog's choice; empty = cancel
    QString askedTitle, askedFilter, askedStart; // what the last dialog was shown with

    // `clientSize` is the frame's size (default: a 1200 x 700 image area).
    explicit FrameHarness(QSize clientSize = QSize(1200, 797));
    ~FrameHarness();

    app::ImageFrame& Frame() { return form->Frame(); }
    const app::FrameComponents& Ui() { return Frame().Components(); }
    const image::ImageModel& Image() { return Frame().Image(); }

    void SetClientSize(QSize size);
    QString Path(const QString& name) const { return dir.filePath(name); }
    // The settings the windows of this harness remember (an ini file in `dir`).
    QString SettingsFile() const { return dir.filePath(QStringLiteral("settings.ini")); }

    QString Write(const QString& name, tools::TiffLayout layout,
                  const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& sample);
    // A 64 x 48 file (unless the layout gives a size) of one sample value.
    QString Write(const QString& name, tools::TiffLayout layout, std::uint32_t value = 0x8000);

    // Opens through File > Open with the dialog answered, and waits until the open has ended.
    void Open(const QString& path);
    // Waits until the open under way (if any) has ended.
    void WaitForOpen();
};

// Waits until the exact samples `frame` asked for (status bar, measuring line) are read.
void WaitForExactWork(app::ImageFrame& frame);

} // namespace orvane::test
