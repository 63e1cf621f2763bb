#pragma once
#include <QFont>
#include <QStringList>

// The lines of the TIFF information panel for the five scanner texts: the
// five headed texts when the software text begins with a capital "S" (only
// the first heading has a colon), otherwise "No Information in this file."
// and an empty line.
QStringList InfoPanelLines(const QString& scannerSoftware, const QString& scannerModel,
                           const QString& acquisitionDate, const QString& acquisitionSetup,
                           const QString& acquisitionInfo);

// Lines as a memo of `width` pixels in `font` shows them: embedded line
// breaks start new lines and long texts wrap at word boundaries.
int DisplayLineCount(const QStringList& lines, const QFont& font, int width);

// Memo height for a line count: each line takes 3.5 pixels more than the
// font's character height in pixels (14.5 pixels at 11), truncated to whole
// pixels.
int InfoMemoHeight(int displayLines, int characterHeightPx);
