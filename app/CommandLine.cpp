#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace orvane::app {

StartupRequest ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Views greyscale TIFF height maps in 2D and as a lit 3D relief."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"),
                                 QStringLiteral("A TIFF height map to open."),
                                 QStringLiteral("[FILE]"));

    StartupRequest request;
    // parse(), not process(): the caller prints and exits, so that this can be tested.
    if (!parser.parse(arguments)) {
        request.Errors = parser.errorText() + QStringLiteral("\nTry --help.\n");
        request.Exit = 2;
        return request;
    }
    if (parser.isSet(help)) {
        request.Output = parser.helpText();
        request.Exit = 0;
        return request;
    }
    if (parser.isSet(version)) {
        request.Output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                         QCoreApplication::applicationVersion() + QLatin1Char('\n');
        request.Exit = 0;
        return request;
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) {
        return request;
    }
    request.File = QFileInfo(files.front()).absoluteFilePath();
    request.IgnoredFiles = files.mid(1);
    if (!request.IgnoredFiles.isEmpty()) {
        request.Errors = QStringLiteral("orvane: one file is opened at a time; ignored: %1\n")
                             .arg(request.IgnoredFiles.join(QStringLiteral(", ")));
    }
    return request;
}

} // namespace orvane::app
