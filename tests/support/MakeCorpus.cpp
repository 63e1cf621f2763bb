// Writes the seed corpus into a folder: orvane-make-corpus <folder>
#include "tests/support/SeedCorpus.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    const QList<orvane::test::CorpusFile> files = orvane::test::SeedCorpus();
    for (const auto& file : files) {
        QFile out(dir.filePath(file.name));
        if (file.bytes.isEmpty() || !out.open(QIODevice::WriteOnly) ||
            out.write(file.bytes) != file.bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.name));
            return 1;
        }
    }
    std::printf("%d files in %s\n", int(files.size()), argv[1]);
    return 0;
}
