#pragma once
#include "image/SourceFile.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvane::image {

// Where a TIFF comes from: a file on disk (the viewer) or a block of memory
// (the fuzzer). Examination and reading take a source, so both go through the
// same code.
struct TiffSource {
    QString path; // file name, or a label for a memory block
    bool inMemory = false;
    const std::uint8_t* data = nullptr; // not owned; outlives every handle on it
    std::size_t size = 0;
    // A file's one descriptor, opened when the source is made and shared by
    // its copies: whatever reads the source reads this file, whatever is at
    // the path by then.
    std::shared_ptr<const SourceFile> file;

    static TiffSource File(const QString& filePath) {
        return TiffSource{filePath, false, nullptr, 0, SourceFile::Open(filePath)};
    }
    static TiffSource Memory(const std::uint8_t* bytes, std::size_t length) {
        return TiffSource{QStringLiteral("memory"), true, bytes, length, nullptr};
    }
    // The open file of a file source: its own, or for a source made without
    // File(), the path opened now.
    std::shared_ptr<const SourceFile> OpenFile() const {
        return file ? file : SourceFile::Open(path);
    }
};

} // namespace orvane::image
