#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ProcessSetup.h"
#include "app/Settings.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    orvane::app::SetUpProcess(); // the surface format before the application exists
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    const orvane::app::StartupRequest request =
        orvane::app::ParseCommandLine(QApplication::arguments());
    std::fputs(qPrintable(request.Output), stdout);
    std::fputs(qPrintable(request.Errors), stderr);
    if (request.Exit)
        return *request.Exit;

    orvane::app::UseUserSettings();
    try {
        orvane::app::MainWindow form;
        form.ShowAsLastTime();
        if (!request.File.isEmpty())
            // Once the event loop runs: the window is up before the file is read.
            QTimer::singleShot(0, &form, [&form, &request] { form.OpenFile(request.File); });
        QApplication::exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvane"), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        QMessageBox::critical(nullptr, QStringLiteral("Orvane"), QString());
    }
    return 0;
}
