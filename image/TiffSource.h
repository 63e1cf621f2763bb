#pragma once
#include <QString>
#include <cstddef>
#include <cstdint>

namespace orvane::image {

// Where a TIFF comes from: a file on disk (the viewer) or a block of memory
// (the fuzzer). Examination and reading take a source, so both go through the
// same code.
struct TiffSource {
    QString path; // file name, or a label for a memory block
    bool inMemory = false;
    const std::uint8_t* data = nullptr; // not owned; outlives every handle on it
    std::size_t size = 0;

    static TiffSource File(const QString& filePath) {
        return TiffSource{filePath, false, nullptr, 0};
    }
    static TiffSource Memory(const std::uint8_t* bytes, std::size_t length) {
        return TiffSource{QStringLiteral("memory"), true, bytes, length};
    }
};

} // namespace orvane::image
