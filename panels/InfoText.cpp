#include "panels/InfoText.h"

#include <QRegularExpression>
#include <QTextLayout>

QStringList InfoPanelLines(const QString& scannerSoftware, const QString& scannerModel,
                           const QString& acquisitionDate, const QString& acquisitionSetup,
                           const QString& acquisitionInfo) {
    if (!scannerSoftware.startsWith(QLatin1Char('S')))
        return {QStringLiteral("No Information in this file."), QString()};
    return {QStringLiteral("3D Scanner Software Version:"),
            scannerSoftware,
            QString(),
            QStringLiteral("3D Scanner Model"),
            scannerModel,
            QString(),
            QStringLiteral("Image Acquisition Date"),
            acquisitionDate,
            QString(),
            QStringLiteral("Image Acquisition Setup"),
            acquisitionSetup,
            QString(),
            QStringLiteral("Image Acquisition Info"),
            acquisitionInfo};
}

int DisplayLineCount(const QStringList& lines, const QFont& font, int width) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    int count = 0;
    for (const QString& line : lines)
        for (const QString& part : line.split(lineBreak)) {
            QTextLayout layout(part, font);
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            int wrapped = 0;
            for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
                l.setLineWidth(width);
                ++wrapped;
            }
            layout.endLayout();
            count += std::max(1, wrapped); // an empty line still takes a line
        }
    return count;
}

int InfoMemoHeight(int displayLines, int characterHeightPx) {
    return static_cast<int>(displayLines * (3.5 + characterHeightPx));
}
