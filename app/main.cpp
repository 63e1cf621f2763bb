#include "app/MainForm.h"

#include <QApplication>
#include <QMessageBox>
#include <QSurfaceFormat>
#include <exception>

int main(int argc, char** argv) {
    // The 3D view draws with the fixed-function pipeline: ask for a
    // compatibility context with a depth buffer before any window exists.
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setDepthBufferSize(24);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    QSurfaceFormat::setDefaultFormat(format);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    try {
        TForm1 form;
        form.showMaximized();
        QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvane"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvane"), QString());
    }
    return 0;
}
