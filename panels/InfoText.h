#pragma once
#include <QStringList>

namespace orvane::panels {

// The lines of the TIFF information panel for the five scanner texts: the
// five headed texts when the software text begins with a capital "S" (only
// the first heading has a colon), otherwise "No Information in this file."
// and an empty line.
QStringList InfoPanelLines(const QString& scannerSoftware, const QString& scannerModel,
                           const QString& acquisitionDate, const QString& acquisitionSetup,
                           const QString& acquisitionInfo);

// Memo height for a line count: each line takes 3.5 pixels more than the
// font's character height in pixels (14.5 pixels at 11), truncated to whole
// pixels.
int InfoMemoHeight(int displayLines, int characterHeightPx);

} // namespace orvane::panels
