#include "image/BlockCache.h"

#include <algorithm>

namespace orvane::image {

BlockCache::BlockCache(std::int64_t boundBytes)
    : boundBytes_(std::max<std::int64_t>(0, boundBytes)) {}

const std::uint8_t* BlockCache::Find(std::uint64_t key) {
    if (entries_.empty())
        return nullptr;
    // Lookups come in runs on one block: the front needs no hashing.
    if (entries_.front().key == key)
        return entries_.front().bytes.get();
    const auto found = index_.find(key);
    if (found == index_.end())
        return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return found->second->bytes.get();
}

const std::uint8_t* BlockCache::Insert(std::uint64_t key, std::unique_ptr<std::uint8_t[]> bytes,
                                       std::int64_t sizeBytes) {
    if (!Fits(sizeBytes))
        return nullptr;
    const auto old = index_.find(key);
    if (old != index_.end())
        Drop(old->second);
    while (!entries_.empty() && bytes_ + sizeBytes > boundBytes_)
        Drop(std::prev(entries_.end()));
    entries_.push_front(Entry{key, std::move(bytes), sizeBytes});
    index_[key] = entries_.begin();
    bytes_ += sizeBytes;
    return entries_.front().bytes.get();
}

void BlockCache::Drop(std::list<Entry>::iterator entry) {
    bytes_ -= entry->sizeBytes;
    index_.erase(entry->key);
    entries_.erase(entry);
}

} // namespace orvane::image
