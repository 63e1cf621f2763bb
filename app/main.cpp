#include "app/MainForm.h"
#include "view3d/SurfaceFormat.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

int main(int argc, char** argv) {
    UseCompatibilitySurfaceFormat();

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
