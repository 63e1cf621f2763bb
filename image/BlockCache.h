#pragma once
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

namespace orvane::image {

// Decoded blocks of samples under a numeric key, most recently used first. It never holds more
// than its bound in bytes: the least recently used blocks go to make room for a new one.
class BlockCache {
public:
    explicit BlockCache(std::int64_t boundBytes);

    // The block's bytes, which become the most recently used; nullptr when not cached.
    const std::uint8_t* Find(std::uint64_t key);

    // Whether a block of this size may be kept at all.
    bool Fits(std::int64_t sizeBytes) const { return sizeBytes <= boundBytes_; }

    // Keeps a block that Fits(), replacing any block under the same key, and returns its bytes.
    const std::uint8_t* Insert(std::uint64_t key, std::unique_ptr<std::uint8_t[]> bytes,
                               std::int64_t sizeBytes);

    std::int64_t Bytes() const { return bytes_; }
    std::int64_t BoundBytes() const { return boundBytes_; }

private:
    struct Entry {
        std::uint64_t key;
        std::unique_ptr<std::uint8_t[]> bytes;
        std::int64_t sizeBytes;
    };
    void Drop(std::list<Entry>::iterator entry);

    std::int64_t boundBytes_;
    std::int64_t bytes_ = 0;
    std::list<Entry> entries_;
    std::unordered_map<std::uint64_t, std::list<Entry>::iterator> index_;
};

} // namespace orvane::image
