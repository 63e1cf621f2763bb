#include "app/MainForm.h"
#include "view3d/gl/SurfaceFormat.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

int main(int argc, char** argv) {
    orvane::view3d::UseCompatibilitySurfaceFormat();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    try {
        orvane::app::TForm1 form;
        form.showMaximized();
        QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvane"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvane"), QString());
    }
    return 0;
}
