#pragma once
#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace orvane::app {

// The frame's file-open dialog: a filter and the last chosen file name, which
// the next showing starts from. Tests and batch tools answer it through
// SetAnswer instead of a real dialog.
class TOpenDialog {
public:
    QString Filter;   // Qt filter syntax, e.g. "Tif File (*.tif *.tiff)"
    QString FileName; // preset and result

    // Shows the dialog; true when the user chose a file (then in FileName).
    bool Execute(QWidget* parent);

    using Answer =
        std::function<std::optional<QString>(const QString& filter, const QString& startName)>;
    static void SetAnswer(Answer answer);
};

} // namespace orvane::app
