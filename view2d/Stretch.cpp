#include "view2d/Stretch.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orvane::view2d {

SourceRect SourceRectangle(const ViewWindow& window, int imageHeight) {
    SourceRect rect;
    rect.X = Rounded(window.ViewOffsetX);
    rect.Y = Rounded(window.ViewOffsetY);
    rect.Width = Rounded(window.ViewWidth);
    rect.Height = Rounded(window.ViewHeight);
    rect.TopRow = static_cast<int>(static_cast<long long>(imageHeight) - rect.Y - rect.Height);
    return rect;
}

std::int64_t StretchSourceIndex(int index, int size, std::int64_t first, std::int64_t span) {
    // floor((i + 0.5) * S / D) == floor((2i + 1) * S / 2D); the quotient of non-negatives floors.
    return first + (2 * static_cast<std::int64_t>(index) + 1) * span / (2 * std::int64_t{size});
}

namespace {

// Source index per destination index, clamped into [0, size - 1]. 64-bit so that spans of
// saturated windows cannot overflow.
void BuildIndexTable(std::vector<std::uint32_t>& table, int destSize, std::int64_t start,
                     std::int64_t span, int size) {
    table.resize(static_cast<std::size_t>(destSize));
    if (span < 0) {
        span = 0;
    }
    const std::int64_t last = size - 1;
    for (int d = 0; d < destSize; ++d) {
        const std::int64_t index = StretchSourceIndex(d, destSize, start, span);
        table[static_cast<std::size_t>(d)] =
            static_cast<std::uint32_t>(std::clamp<std::int64_t>(index, 0, last));
    }
}

} // namespace

void StretchToGrey(const std::uint8_t* buffer, int imageWidth, int imageHeight,
                   const SourceRect& source, std::uint8_t* dest, int destWidth, int destHeight,
                   std::ptrdiff_t destStride) {
    if (buffer == nullptr || dest == nullptr || imageWidth <= 0 || imageHeight <= 0 ||
        destWidth <= 0 || destHeight <= 0) {
        return;
    }
    // The tables live across paints: a drag repaints on every move.
    thread_local std::vector<std::uint32_t> columns;
    thread_local std::vector<std::uint32_t> rows;
    BuildIndexTable(columns, destWidth, source.X, source.Width, imageWidth);
    BuildIndexTable(rows, destHeight, source.TopRow, source.Height, imageHeight);

    const std::uint32_t* col = columns.data();
    const std::size_t rowBytes = static_cast<std::size_t>(imageWidth);
    // Columns far apart touch a new cache line for nearly every pixel, and the hardware
    // prefetcher stops at each page boundary of a long row: fetch the next source row's lines
    // while this one is gathered.
    const std::size_t firstColumn = col[0];
    const std::size_t spanBytes = col[destWidth - 1] - firstColumn + 1;
    const bool prefetch = spanBytes >= 4096 && spanBytes >= 2 * static_cast<std::size_t>(destWidth);
    constexpr int chunk = 16; // destination pixels per burst of prefetches; measured best
    std::uint8_t* previous = nullptr;
    std::uint32_t previousRow = 0;
    for (int y = 0; y < destHeight; ++y) {
        std::uint8_t* out = dest + y * destStride;
        const std::uint32_t row = rows[static_cast<std::size_t>(y)];
        if (previous != nullptr && row == previousRow) {
            // Enlarging repeats rows: copy the one already built.
            std::memcpy(out, previous, static_cast<std::size_t>(destWidth));
            continue;
        }
        const std::uint8_t* in = buffer + row * rowBytes;
        if (prefetch && y + 1 < destHeight) {
            const std::uint8_t* next = buffer + rows[static_cast<std::size_t>(y) + 1] * rowBytes;
            for (int x0 = 0; x0 < destWidth; x0 += chunk) {
                const int x1 = std::min(destWidth, x0 + chunk);
                const std::uint8_t* last = next + col[x1 - 1];
                for (const std::uint8_t* line = next + col[x0]; line < last; line += 64) {
                    __builtin_prefetch(line);
                }
                __builtin_prefetch(last);
                for (int x = x0; x < x1; ++x) {
                    out[x] = in[col[x]];
                }
            }
        } else {
            for (int x = 0; x < destWidth; ++x) {
                out[x] = in[col[x]];
            }
        }
        previous = out;
        previousRow = row;
    }
}

bool StretchMask(const std::uint8_t* mask, std::int64_t maskStride, int imageWidth, int imageHeight,
                 const SourceRect& source, std::uint32_t colour, std::uint32_t* dest, int destWidth,
                 int destHeight, std::ptrdiff_t destStride) {
    if (mask == nullptr || dest == nullptr || imageWidth <= 0 || imageHeight <= 0 ||
        destWidth <= 0 || destHeight <= 0) {
        return false;
    }
    std::vector<std::uint32_t> columns, rows;
    BuildIndexTable(columns, destWidth, source.X, source.Width, imageWidth);
    BuildIndexTable(rows, destHeight, source.TopRow, source.Height, imageHeight);
    bool any = false;
    for (int y = 0; y < destHeight; ++y) {
        const std::uint8_t* row = mask + std::int64_t(rows[std::size_t(y)]) * maskStride;
        std::uint32_t* out = dest + y * destStride;
        for (int x = 0; x < destWidth; ++x) {
            const std::uint32_t c = columns[std::size_t(x)];
            const bool marked = (row[c / 8] >> (c % 8)) & 1;
            out[x] = marked ? colour : 0;
            any = any || marked;
        }
    }
    return any;
}

} // namespace orvane::view2d
