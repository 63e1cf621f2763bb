#pragma once
#include "image/ReadMessageLog.h"
#include "image/ReadPlan.h"
#include "image/TiffFile.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace orvane::image {

// One thread's reader: reads strips (or rows of tiles) through its own
// library handle, straight into the level buffer, and keeps the count of lost
// rows and the library's messages. Each strip is read as the one-pass reader
// reads it, so the same rows are lost with the same messages:
// - a strip or tile whose bytes do not lie in the source is lost unread;
// - uncompressed samples are taken where they lie in the file, kept rows only,
//   when the library would read them without complaint;
// - LZW and Deflate strips decode at once; a strip that fails or draws any
//   message is read again a scanline at a time, which loses the rest of the
//   strip at its first failing row;
// - anything else is read a scanline at a time, or a tile at a time.
class BlockReader {
public:
    BlockReader(const ReadPlan& plan, TiffHandle& handle);
    ~BlockReader();

    // Reads one block. On an exception (memory ran out) the block counts as
    // not read: none of its rows is counted, and its kept rows may hold
    // anything.
    void Read(std::int64_t block);

    // The most a reader of `plan` can hold in working buffers at once: its
    // scanline or tile buffer, the whole-strip decode buffer and the bytes it
    // decodes from, and the chunk of samples read in place.
    static std::int64_t WorkingBytes(const ReadPlan& plan);

    std::int64_t UnreadableRows() const { return unreadableRows_; }
    ReadMessageLog TakeLog() { return std::move(messages_); }
    // The kept rows of the lost rows, ascending.
    std::vector<RowRange> TakeLostKeptRows() { return std::move(lostKeptRows_); }
    // The valid values met (samples mapped by value only).
    const ValueRange& Values() const { return values_; }

private:
    void ReadStrip(std::int64_t block);
    void ReadBand(std::int64_t block);
    bool InSource(std::uint32_t strile, StrileBytes& where) const;
    bool KeepStripInPlace(const StrileBytes& strip, std::int64_t firstRow, std::int64_t endRow);
    bool GiveUpInPlace(std::int64_t row, std::int64_t firstKept, std::int64_t endRow);
    void ChooseDeflateDecoder(std::int64_t firstRow);
    bool DecodeWholeStrip(const StrileBytes& where, std::uint32_t strip, std::int64_t firstRow,
                          std::int64_t endRow);
    void ReadScanlines(TiffHandle& handle, std::int64_t firstRow, std::int64_t endRow);
    bool KeepTileInPlace(const StrileBytes& tile, std::int64_t tileColumn, std::int64_t firstRow,
                         std::int64_t endRow);
    // `samples` holds the tile's rows from file row `samplesRow` on.
    void KeepTile(const std::uint8_t* samples, std::int64_t samplesRow, int highByte,
                  std::int64_t tileColumn, std::int64_t firstRow, std::int64_t endRow);
    void KeepRow(const std::uint8_t* samples, int highByte, std::int64_t keptRow,
                 std::int64_t firstColumn, std::int64_t count);
    void Lose(std::int64_t firstRow, std::int64_t endRow);
    TiffHandle* Rereader();
    void TakeMessages(std::int64_t block);

    const ReadPlan& plan_;
    TiffHandle& handle_;
    // A second handle for strips read again a scanline at a time: the first
    // one has just decoded that strip and would carry on where it stopped.
    std::unique_ptr<TiffHandle> rereader_;
    bool rereaderTried_ = false;
    int defaultDeflateDecoder_ = -1, deflateDecoder_ = -1;
    std::vector<std::uint8_t> line_, strip_, tile_;
    std::vector<std::uint8_t> read_, raw_; // bytes read from the file
    std::vector<StrileBytes> tiles_;       // where the tiles of the current band lie
    std::int64_t unreadableRows_ = 0;
    std::vector<RowRange> lostKeptRows_;
    ValueRange values_;
    std::unique_ptr<HeightRows> heightRows_; // a measuring read's receiver
    std::vector<double> heights_;
    ReadMessageLog messages_;
};

} // namespace orvane::image
