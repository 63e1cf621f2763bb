// The 2D view's sharp picture of a thinned file: after a zoom into a 30000 x 20000 16-bit Deflate
// file (strips of 16 rows, as scanners write), the file's own pixels under a 1200 x 700 view, read
// with a cold cache, against libtiff decoding the strips the view crosses in the same run (goal
// <= 1.5x). Once at one file pixel a screen pixel, once just past the kept pixels (two file
// pixels a screen pixel). Writes the file first (about 1.2 GB before compression).
//     build/bench/view2d/bench_sharp_view [width height [runs]]
#include "bench/BestTime.h"
#include "image/SampleReader.h"
#include "tools/TiffWriter.h"
#include "view2d/ViewExport.h"

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <tiffio.h>
#include <vector>

using namespace orvane;

namespace {

using bench::BestSeconds;

// libtiff alone: every strip holding a row of [firstRow, endRow), decoded once.
void DecodeStrips(const QString& path, std::int64_t firstRow, std::int64_t endRow) {
    TIFF* tif = TIFFOpen(path.toLocal8Bit().constData(), "r");
    if (!tif)
        return;
    std::uint32_t rowsPerStrip = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
    std::vector<std::uint8_t> buffer(std::size_t(TIFFStripSize(tif)));
    for (std::int64_t strip = firstRow / rowsPerStrip; strip * rowsPerStrip < endRow; ++strip)
        TIFFReadEncodedStrip(tif, std::uint32_t(strip), buffer.data(), tsize_t(buffer.size()));
    TIFFClose(tif);
}

} // namespace

int main(int argc, char** argv) {
    const std::uint32_t width = argc > 2 ? std::uint32_t(std::atoi(argv[1])) : 30000;
    const std::uint32_t height = argc > 2 ? std::uint32_t(std::atoi(argv[2])) : 20000;
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sharp.tif"));
    tools::TiffLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerSample = 16;
    layout.rowsPerStrip = 16;
    layout.compression = 8;
    std::printf("writing a %u x %u 16-bit Deflate file...\n", width, height);
    std::fflush(stdout);
    if (!tools::WriteTiff(path, layout, [](std::uint32_t x, std::uint32_t y, int) {
            return (x / 3 + y / 2 + ((x * 2654435761u ^ y * 2246822519u) & 0xFF)) & 0xFFFF;
        })) {
        std::printf("could not write the file\n");
        return 1;
    }
    const view2d::PictureSize view{1200, 700};
    std::printf("a %d x %d view in the middle of the file, cold cache, page cache warm (best of "
                "%d):\n",
                view.Width, view.Height, runs);
    for (const int filePixelsPerScreenPixel : {1, 2}) {
        const view2d::FileRect rect{std::int64_t(width) / 2, std::int64_t(height) / 2,
                                    std::int64_t(view.Width) * filePixelsPerScreenPixel,
                                    std::int64_t(view.Height) * filePixelsPerScreenPixel};
        const double floor =
            BestSeconds(runs, [&] { DecodeStrips(path, rect.Row, rect.Row + rect.Height); });
        const double sharp = BestSeconds(runs, [&] {
            image::SampleReader reader(image::TiffSource::File(path));
            if (!view2d::ExportFromReader(reader, rect, view))
                std::printf("the picture failed\n");
        });
        const double ratio = sharp / floor;
        std::printf("  %d file pixel(s) a screen pixel: sharp picture %8.1f ms, libtiff's strips "
                    "%8.1f ms, ratio %.2f (goal <= 1.5) %s\n",
                    filePixelsPerScreenPixel, sharp * 1e3, floor * 1e3, ratio,
                    ratio <= 1.5 ? "ok" : "MISSED");
    }
    return 0;
}
