#pragma once
#include "measure/ColourRange.h"

#include <QKeySequence>
#include <QLine>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

namespace orvane::tools {

// Options of one batch run: open a TIFF as "Open" does, apply user actions in
// a fixed order, then report what the window shows.
struct SnapshotOptions {
    QSize size{1200, 797}; // the frame's client size
    bool view3d = false;
    int wheel = 0;
    bool actualPixels = false; // View > Actual Pixels, after the wheel
    struct CtrlWheel {
        QPoint at; // box pixel
        int notches = 0;
    };
    std::optional<CtrlWheel> ctrlWheel; // after Actual Pixels
    std::optional<int> resolution;
    std::optional<int> zdepth;
    QString texture;
    QString palette;  // a palette's name, applied at start-up as a remembered choice
    QString saveView; // File > Save View As... answered with this file
    bool saveViewFileResolution = false;
    bool info = false;
    bool colourBar = false;
    bool scaleBar = false; // View > Scale Bar, after the colour bar
    std::optional<QPoint> press;
    QList<QKeySequence> keys;                 // keys pressed over the frame, one after another
    std::optional<QPoint> pointer;            // a move without buttons, box pixels
    std::optional<QLine> profile;             // a right-button drag, box pixels
    int profileWidth = 0;                     // Measure > Profile Width, before the profile
    std::optional<QLine> dragEnd;             // a left drag moving a line end, after it
    QString level;                            // none, plane, poly2 or poly3, right after the open
    std::optional<QList<QPoint>> levelPoints; // three box pixels for a plane through them
    std::optional<QLine> area;                // a Shift and left-button drag, box pixels
    std::optional<double> cutoffMm;           // the profile's cut-off; 0 = automatic
    std::optional<measure::ColourRange> colourRange; // after the levelling
    int orbit = 0;       // moves of a left drag across the 3D viewer, each with its frame
    bool timings = true; // the report's "timings" (never the same twice: left out to compare)
    QString png;
    QString json; // "-" = standard output
    QString tiff;
};

// Parses the command line; an error text when the arguments are bad.
std::optional<QString> ParseSnapshotArguments(const QStringList& args, SnapshotOptions& out);

// Runs the window offscreen and writes the requested outputs. Returns the
// process exit status (0 whether or not the file was accepted).
int RunSnapshot(const SnapshotOptions& options);

} // namespace orvane::tools
