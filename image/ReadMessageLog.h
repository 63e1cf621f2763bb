#pragma once
#include "image/TiffFile.h"

#include <QStringList>
#include <cstdint>
#include <vector>

namespace orvane::image {

// The TIFF library's messages from one reading thread, each with the strip
// (or row of tiles) that raised it. Merged, the logs of all threads give the
// list a single handle reading every strip in order would have collected,
// capped the same way.
class ReadMessageLog {
public:
    // `block` ascends from call to call, as a thread takes its strips.
    void Add(std::int64_t block, TiffHandle::Messages messages);

    // `before`: what the first handle said before reading (while opening).
    static QStringList Merge(TiffHandle::Messages before, const std::vector<ReadMessageLog>& logs);

private:
    struct Entry {
        std::int64_t block;
        QString text;
    };
    // A thread's first messages in its order are all that can be among the
    // first messages of the merged list.
    std::vector<Entry> kept_;
    std::int64_t count_ = 0; // every message, kept or not
};

} // namespace orvane::image
