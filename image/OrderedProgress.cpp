#include "image/OrderedProgress.h"

#include "image/ImageModel.h"

#include <utility>

namespace orvane::image {

OrderedProgress::OrderedProgress(std::int64_t spanHeight, std::int64_t rowStep,
                                 std::function<void(int percent)> report)
    : schedule_(spanHeight, rowStep), rowStep_(rowStep), report_(std::move(report)) {}

bool OrderedProgress::ReportsWithin(std::int64_t firstRow, std::int64_t endRow) const {
    for (std::int64_t row = FirstKeptRowAtOrAfter(firstRow, rowStep_); row < endRow;
         row += rowStep_)
        if (schedule_.ReportsAt(row))
            return true;
    return false;
}

void OrderedProgress::RowsDone(std::int64_t firstRow, std::int64_t endRow) {
    if (firstRow >= endRow)
        return;
    std::lock_guard<std::mutex> lock(mutex_);
    if (firstRow != doneUpTo_) {
        // Joined to a range it continues, which is usually this thread's own.
        auto before = doneAhead_.lower_bound(firstRow);
        if (before != doneAhead_.begin() && std::prev(before)->second == firstRow)
            std::prev(before)->second = endRow;
        else
            doneAhead_.emplace(firstRow, endRow);
        return;
    }
    std::int64_t end = endRow;
    for (auto next = doneAhead_.find(end); next != doneAhead_.end(); next = doneAhead_.find(end)) {
        end = next->second;
        doneAhead_.erase(next);
    }
    ReportUpTo(end);
}

std::int64_t OrderedProgress::DoneUpTo() {
    std::lock_guard<std::mutex> lock(mutex_);
    return doneUpTo_;
}

void OrderedProgress::ReportUpTo(std::int64_t endRow) {
    for (std::int64_t row = FirstKeptRowAtOrAfter(doneUpTo_, rowStep_); row < endRow;
         row += rowStep_)
        if (report_ && schedule_.ReportsAt(row))
            report_(schedule_.PercentAt(row));
    doneUpTo_ = endRow;
}

} // namespace orvane::image
