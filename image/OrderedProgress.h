#pragma once
#include "image/Progress.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace orvane::image {

// Gives the reader's progress percentages in the order a single pass over the
// rows gives them, when rows are read by several threads in any order: each
// percentage goes out once every row up to its own is done, from the thread
// that completes that prefix. Calls never overlap.
class OrderedProgress {
public:
    OrderedProgress(std::int64_t spanHeight, std::int64_t rowStep,
                    std::function<void(int percent)> report);

    bool Wanted() const { return bool(report_); }
    // Rows [firstRow, endRow) are done: read, or counted as lost. Any thread.
    void RowsDone(std::int64_t firstRow, std::int64_t endRow);
    // Whether a percentage is due after one of the rows [firstRow, endRow):
    // a reader passes its done rows on at least then.
    bool ReportsWithin(std::int64_t firstRow, std::int64_t endRow) const;
    // Every row up to this one is done.
    std::int64_t DoneUpTo();

private:
    void ReportUpTo(std::int64_t endRow);

    ProgressSchedule schedule_;
    std::int64_t rowStep_;
    std::function<void(int)> report_;
    std::mutex mutex_;
    std::int64_t doneUpTo_ = 0;
    // Done row ranges beyond the prefix, first row -> end row, disjoint.
    std::map<std::int64_t, std::int64_t> doneAhead_;
};

} // namespace orvane::image
