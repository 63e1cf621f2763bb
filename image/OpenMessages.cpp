#include "image/OpenMessages.h"

namespace orvane::image {

namespace {

QString Details(const QStringList& errors) {
    return errors.isEmpty() ? QString() : QStringLiteral("\n\n") + errors.join(QLatin1Char('\n'));
}

} // namespace

QString UnopenableMessage(const QString& fileName, const QStringList& errors) {
    return QStringLiteral("Can't open \"%1\": it is not a TIFF file the viewer can read.")
               .arg(fileName) +
           Details(errors);
}

QString ReadFailedMessage(const QString& fileName, const QString& failure) {
    return QStringLiteral("Can't read \"%1\": %2").arg(fileName, failure);
}

QString SizingMessage(SizingOutcome outcome) {
    switch (outcome) {
    case SizingOutcome::Ok:
        break;
    case SizingOutcome::TooBig:
        return QStringLiteral("Can't open image, File too big!");
    case SizingOutcome::TooNarrow:
        return QStringLiteral("Can't open image, it is narrower than 4 pixels!");
    case SizingOutcome::TooLow:
        return QStringLiteral("Can't open image, no row is left after thinning!");
    }
    return QString();
}

QString UnreadableRowsMessage(std::int64_t unreadableRows, std::int64_t spanHeight,
                              const QString& fileName, const QStringList& errors) {
    return QStringLiteral("%1 of the %2 rows of \"%3\" could not be read; "
                          "their pixels are shown as level 0.")
               .arg(unreadableRows)
               .arg(spanHeight)
               .arg(fileName) +
           Details(errors);
}

} // namespace orvane::image
