#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvane::app {

// The dialog of File > Save View As...: a file name whose extension picks PNG, TIFF or JPEG,
// and in 2D a check box for the view window at file resolution. Tests and batch tools answer it
// through SetAnswer instead of a real dialog.
class SaveViewDialog {
public:
    QString FileName;                   // preset and result
    bool FileResolutionOffered = false; // the check box is shown
    bool FileResolution = false;        // preset and result

    // Shows the dialog; true when the user chose a file (then in FileName and FileResolution).
    bool Execute(QWidget* parent);

    struct Choice {
        QString FileName;
        bool FileResolution = false;
    };
    // Given the dialog as it would be shown, the choice or nothing (cancelled).
    using Answer = std::function<std::optional<Choice>(const SaveViewDialog& shown)>;
    static void SetAnswer(Answer answer);
};

} // namespace orvane::app
