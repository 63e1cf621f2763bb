#include "tests/support/FrameHarness.h"

#include "app/Messages.h"
#include "app/ProcessSetup.h"
#include "app/Settings.h"

#include <QAction>
#include <QWindow>

namespace orvane::test {

FrameHarness::FrameHarness(QSize clientSize) {
    app::SetUpProcess(); // as main does
    // Settings of the harness's own, never the user's: each harness starts afresh.
    app::UseSettingsFile(SettingsFile());
    app::SetMessageRecorder([this](app::MessageKind kind, const QString& text) {
        messages << text;
        messageKinds << kind;
    });
    app::OpenDialog::SetAnswer([this](const app::OpenDialog& shown) {
        askedTitle = shown.Title;
        askedFilter = shown.Filter;
        askedStart = shown.FileName;
        return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
    });
    form = std::make_unique<app::MainWindow>();
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        qFatal("main window not exposed");
    SetClientSize(clientSize);
}

FrameHarness::~FrameHarness() {
    form.reset();
    app::SetMessageRecorder({});
    app::OpenDialog::SetAnswer({});
    app::SaveViewDialog::SetAnswer({});
    app::UseSettingsFile(QString());
}

void FrameHarness::SetClientSize(QSize size) {
    for (int i = 0; i < 5 && Frame().size() != size; ++i) {
        form->resize(size + (form->size() - Frame().size()));
        QCoreApplication::processEvents();
    }
    if (Frame().size() != size)
        qFatal("frame size %dx%d, wanted %dx%d", Frame().width(), Frame().height(), size.width(),
               size.height());
    // Until the window system has confirmed the new size, Qt does not paint a
    // window that holds a GL widget: wait for it, as a user's resize would.
    if (!QTest::qWaitFor([this] { return form->windowHandle()->geometry().size() == form->size(); },
                         5000))
        qFatal("the window system never confirmed the size");
}

QString
FrameHarness::Write(const QString& name, tools::TiffLayout layout,
                    const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& sample) {
    if (!tools::WriteTiff(Path(name), layout,
                          [&](std::uint32_t x, std::uint32_t y, int) { return sample(x, y); }))
        qFatal("cannot write fixture");
    return Path(name);
}

QString FrameHarness::Write(const QString& name, tools::TiffLayout layout, std::uint32_t value) {
    if (layout.width == 0) {
        layout.width = 64;
        layout.height = 48;
    }
    return Write(name, layout, [value](std::uint32_t, std::uint32_t) { return value; });
}

void FrameHarness::Open(const QString& path) {
    messages.clear();
    messageKinds.clear();
    answer = path;
    form->Command("openAction")->trigger();
    answer.clear();
    WaitForOpen();
}

void FrameHarness::WaitForOpen() {
    // The read runs beside the event loop: the open ends in a later event.
    if (!QTest::qWaitFor([this] { return !Frame().OpenInProgress(); }, 600000))
        qFatal("the open never ended");
}

void WaitForExactWork(app::ImageFrame& frame) {
    // The status bar's sample and the profile are read on worker threads.
    if (!QTest::qWaitFor([&frame] { return !frame.ExactWorkPending(); }, 10000))
        qFatal("the exact samples were never read");
}

} // namespace orvane::test
