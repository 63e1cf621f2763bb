#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvane::app {

// The frame's file-open dialog: a title, a filter and the last chosen file
// name, which the next showing starts from. Tests and batch tools answer it
// through SetAnswer instead of a real dialog.
class OpenDialog {
public:
    QString Title;    // empty: the platform's own ("Open")
    QString Filter;   // Qt filter syntax, e.g. "Tif File (*.tif *.tiff)"
    QString FileName; // preset and result

    // Shows the dialog; true when the user chose a file (then in FileName).
    bool Execute(QWidget* parent);

    // Given the dialog as it would be shown, the chosen file or nothing.
    using Answer = std::function<std::optional<QString>(const OpenDialog& shown)>;
    static void SetAnswer(Answer answer);
};

} // namespace orvane::app
