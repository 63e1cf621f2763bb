// Opens a generated 16-bit strip TIFF of 8000 x 8000 pixels through the
// frame's OpenImage (examination, sizing, background read with progress,
// display, histogram) and through a bare libtiff loop that reads the same
// scanlines into a buffer, in one run, and prints the ratio.
#include "app/ImageFrame.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/ProcessSetup.h"
#include "image/Memory.h"
#include "image/ScanlineReader.h"
#include "tools/TiffWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <tiffio.h>
#include <vector>

using namespace orvane;
using namespace orvane::image;
using namespace orvane::tools;

namespace {

double BareLoopSeconds(const QString& path) {
    QElapsedTimer timer;
    timer.start();
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "r");
    std::uint32_t height = 0;
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    std::vector<std::uint8_t> line(TIFFScanlineSize64(tif));
    std::vector<std::uint8_t> sink(line.size());
    for (std::uint32_t row = 0; row < height; ++row) {
        TIFFReadScanline(tif, line.data(), row, 0);
        sink[row % sink.size()] ^= line[row % line.size()];
    }
    TIFFClose(tif);
    return timer.nsecsElapsed() * 1e-9;
}

double ReaderSeconds(const QString& path, int side) {
    std::uint8_t* buffer = TryAllocate(std::size_t(side) * side);
    QElapsedTimer timer;
    timer.start();
    ImageGeometry g;
    g.ImageWidth = g.SpanWidth = side;
    g.ImageHeight = g.SpanHeight = side;
    ReadSamples(TiffSource::File(path), g, buffer, [](int) {});
    const double s = timer.nsecsElapsed() * 1e-9;
    FreeBuffer(buffer);
    return s;
}

double OpenImageSeconds(app::ImageFrame& frame, const QString& path) {
    QElapsedTimer timer;
    timer.start();
    frame.OpenChosenFile(path);
    // The read runs beside the event loop: the open ends in a later event.
    while (frame.OpenInProgress())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return timer.nsecsElapsed() * 1e-9;
}

} // namespace

int main(int argc, char** argv) {
    orvane::app::SetUpProcess();
    QApplication app(argc, argv);
    const int side = argc > 1 ? std::atoi(argv[1]) : 8000;
    QTemporaryDir dir;
    const QString path = dir.filePath("bench16.tif");
    TiffLayout layout;
    layout.width = layout.height = std::uint32_t(side);
    layout.rowsPerStrip = 16;
    std::printf("writing %d x %d 16-bit strip TIFF...\n", side, side);
    if (!WriteTiff(path, layout, [](std::uint32_t x, std::uint32_t y, int) {
            return (x * 31 + y * 17) & 0xFFFF;
        }))
        return 1;

    QStringList messages;
    app::SetMessageRecorder([&messages](MessageKind, const QString& t) { messages << t; });
    app::MainWindow form;
    form.resize(1200, 900);
    form.show();
    QApplication::processEvents();

    BareLoopSeconds(path); // warm the page cache
    std::vector<double> bare, open, reader;
    for (int i = 0; i < 5; ++i) {
        bare.push_back(BareLoopSeconds(path));
        reader.push_back(ReaderSeconds(path, side));
        open.push_back(OpenImageSeconds(form.Frame(), path));
    }
    if (!messages.isEmpty() || !form.Frame().Image().HasImage()) {
        std::printf("open failed: %s\n", qPrintable(messages.join("; ")));
        return 1;
    }
    const double bareBest = *std::min_element(bare.begin(), bare.end());
    const double openBest = *std::min_element(open.begin(), open.end());
    std::printf("bare libtiff scanline loop : %8.1f ms (best of 5)\n", bareBest * 1e3);
    std::printf("reader alone (no window)   : %8.1f ms (best of 5)\n",
                *std::min_element(reader.begin(), reader.end()) * 1e3);
    std::printf("OpenImage (whole open)     : %8.1f ms (best of 5)\n", openBest * 1e3);
    std::printf("ratio open / bare          : %8.3f   (goal <= 1.1)\n", openBest / bareBest);
    return 0;
}
