#pragma once
#include "image/ScanlineReader.h"
#include "image/Sizing.h"
#include "image/TiffFile.h"
#include "image/TiffSource.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

// The open of a file without a window: examination, acceptance rules, sizing,
// the read into a freshly allocated buffer and the inversion of min-is-white
// levels, in the order the frame runs them and with the messages it would show.
// The fuzzer and the malformed-file tests drive it; the frame calls the same
// pieces between its own widget steps.

struct FreeBufferDeleter {
    void operator()(std::uint8_t* block) const;
};
using LevelBuffer = std::unique_ptr<std::uint8_t, FreeBufferDeleter>;

struct OpenOptions {
    // Blocks larger than this are refused as if memory were short, which makes
    // sizing thin further; 0 leaves only the sizing rules. The fuzzer sets it
    // to keep each run small.
    std::int64_t allocationLimitBytes = 0;
};

struct OpenedImage {
    enum Outcome {
        Unopenable, // the TIFF library refused the source
        Rejected,   // an acceptance rule failed
        NotSized,   // too big, too narrow or too low
        Read        // levels hold the image (some rows may have been unreadable)
    };
    Outcome outcome = Unopenable;
    bool bigTiff = false;
    TiffTags tags;
    SizingResult size;
    QStringList messages; // every message the frame shows for this file, in order
    ReadResult read;
    LevelBuffer levels; // size.ImageWidth x size.ImageHeight; null unless Read
};

// Trial allocation for sizing: obtains and releases a zero-filled block.
std::function<bool(std::int64_t bytes)> TrialAllocator(std::int64_t limitBytes = 0);

// Replaces every level L by 255 - L (a min-is-white file).
void InvertLevels(std::uint8_t* levels, std::size_t count);

OpenedImage OpenWithoutWindow(const TiffSource& source, const OpenOptions& options = {});
