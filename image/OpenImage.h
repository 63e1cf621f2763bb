#pragma once
#include "image/ImageModel.h"
#include "image/ScanlineReader.h"
#include "image/TiffFile.h"
#include "image/TiffSource.h"

#include <QString>
#include <QStringList>
#include <cstdint>

namespace orvane::image {

enum class MessageKind {
    Plain,     // information box with OK
    Rejection, // error box with OK and Cancel: a file that was refused
    Error      // error box with OK: a command that failed
};

// The steps of an open that belong to a window, called by OpenImage in the
// order of the open. The defaults do nothing, so a caller without a window
// (the fuzzer, the malformed-file tests) runs exactly the same open.
//
// A file is examined, validated, sized and given its level buffer before any
// step but ShowMessage is called: a file refused on the way leaves the image
// that was open as it was. From Prepare on, the new file replaces it.
class OpenSteps {
public:
    virtual ~OpenSteps() = default;
    virtual void ShowMessage(MessageKind kind, const QString& text) { (void)kind, (void)text; }
    // The file was accepted: the old image's panels, texture and readout go.
    virtual void Prepare(const QString& path) { (void)path; }
    virtual void ShowBigTiffMarker(bool shown) { (void)shown; }
    // The texts of the File, Resolution and Size labels of the accepted file.
    virtual void ShowFileLabels(const QString& fileName, const QString& resolutionText,
                                const QString& sizeText) {
        (void)fileName, (void)resolutionText, (void)sizeText;
    }
    // The read is about to start: busy cursor, progress at 0.
    virtual void BeginRead() {}
    // Runs `read` and returns its result (OpenImage only: a window runs the
    // read itself between BeginOpen and FinishOpen, see OpenImageThread); the
    // buffer belongs to the read until it returns.
    virtual ReadResult RunRead(const ReadJob& read) { return read(nullptr); }
    // The read is over: normal cursor.
    virtual void EndRead() {}
    // Shows the new image; false when the picture could not be built.
    virtual bool Display() { return true; }
    virtual void PrepareRelief() {}
    // Panels and menus of a successful open.
    virtual void Finish() {}
    // The read or the picture failed after the old image had gone: no image
    // is open any more, and the window shows none.
    virtual void ImageLost() {}
};

enum class OpenOutcome {
    Unopenable,   // the TIFF library refused the source
    Rejected,     // an acceptance rule failed
    NotSized,     // too big, too narrow or too low
    NotRead,      // the read could not run (the file could not be read again, no memory)
    NotDisplayed, // read, but the picture could not be built
    Shown         // the image is open (some rows may have been unreadable)
};

struct OpenOptions {
    // Blocks larger than this are refused as if memory were short, which makes
    // sizing thin further; 0 leaves only the sizing rules. The fuzzer sets it
    // to keep each run small.
    std::int64_t allocationLimitBytes = 0;
};

struct OpenResult {
    OpenOutcome outcome = OpenOutcome::Unopenable;
    bool bigTiff = false;
    TiffTags tags;   // as examined; the defaults when the file could not be opened
    ReadResult read; // once the read has run
};

// Opens `source` into `model`: examines the tags and applies the acceptance
// rules, sizes and allocates the levels, then replaces the model with the new
// file's and reads the levels, inverts min-is-white files, and calls `steps`
// for what a window shows on the way. Every message is given to
// `steps.ShowMessage`. A file refused before its read leaves `model` as it
// was; once the read has started, a failure leaves the new file's fields and
// no levels.
OpenResult OpenImage(const TiffSource& source, ImageModel& model, OpenSteps& steps,
                     const OpenOptions& options = {});

// The same open in two halves, for a window that runs the read beside its
// event loop rather than inside a step: BeginOpen goes up to the read
// (BeginRead called) and hands over the read to run; FinishOpen takes its
// result and goes on (EndRead first). Without a read to run, the open has
// ended and `result` says how.
struct OpenStart {
    OpenResult result;
    ReadJob read; // empty when the open ended before its read
    QString fileName;
};
OpenStart BeginOpen(const TiffSource& source, ImageModel& model, OpenSteps& steps,
                    const OpenOptions& options = {});
OpenResult FinishOpen(OpenStart start, const ReadResult& read, ImageModel& model, OpenSteps& steps);

// The same open without a window, recording its messages.
struct OpenedImage {
    OpenResult result;
    QStringList messages;
    ImageModel model;
};
OpenedImage OpenWithoutWindow(const TiffSource& source, const OpenOptions& options = {});

} // namespace orvane::image
