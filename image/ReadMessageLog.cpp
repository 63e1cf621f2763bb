#include "image/ReadMessageLog.h"

#include <algorithm>

namespace orvane::image {

void ReadMessageLog::Add(std::int64_t block, TiffHandle::Messages messages) {
    count_ += messages.kept.size() + messages.omitted;
    for (QString& text : messages.kept) {
        if (kept_.size() >= std::size_t(TiffHandle::kMaxCollectedMessages))
            break;
        kept_.push_back({block, std::move(text)});
    }
}

QStringList ReadMessageLog::Merge(TiffHandle::Messages before,
                                  const std::vector<ReadMessageLog>& logs) {
    std::vector<const Entry*> entries;
    std::int64_t count = before.kept.size() + before.omitted;
    for (const ReadMessageLog& log : logs) {
        count += log.count_;
        for (const Entry& entry : log.kept_)
            entries.push_back(&entry);
    }
    // Each strip is read by one thread, so a stable sort keeps a strip's own
    // messages in the order they came.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry* a, const Entry* b) { return a->block < b->block; });
    QStringList merged = std::move(before.kept);
    for (const Entry* entry : entries) {
        if (merged.size() >= TiffHandle::kMaxCollectedMessages)
            break;
        merged.append(entry->text);
    }
    const std::int64_t omitted = count - merged.size();
    if (omitted > 0)
        merged.append(TiffHandle::OmittedMessagesLine(int(omitted)));
    return merged;
}

} // namespace orvane::image
