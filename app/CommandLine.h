#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace orvane::app {

// What the command line `orvane [--help] [--version] [FILE...]` asks for.
struct StartupRequest {
    QString File;             // to open once the window is shown (absolute); empty: none
    QStringList IgnoredFiles; // the files after the first, as given
    std::optional<int> Exit;  // --help, --version or a bad option: print and exit with this
    QString Output;           // for standard output
    QString Errors;           // for standard error (bad options, ignored files)
};

// Parses the application's arguments (the program's name first). The version is the
// application's (QCoreApplication::applicationVersion).
StartupRequest ParseCommandLine(const QStringList& arguments);

} // namespace orvane::app
