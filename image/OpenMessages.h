#pragma once
#include "image/Sizing.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace orvane::image {

// Texts of the open's plain message boxes. `errors` are the TIFF library's own
// words, appended as details.

// The library refused the file (missing, not a TIFF, broken directory).
QString UnopenableMessage(const QString& fileName, const QStringList& errors);

// The read stopped on a failure of its own (memory): no image is shown.
QString ReadFailedMessage(const QString& fileName, const QString& failure);

// Why sizing gave up; empty for SizingOutcome::Ok.
QString SizingMessage(SizingOutcome outcome);

// Some rows could not be read; they are shown as level 0.
QString UnreadableRowsMessage(std::int64_t unreadableRows, std::int64_t spanHeight,
                              const QString& fileName, const QStringList& errors);

} // namespace orvane::image
