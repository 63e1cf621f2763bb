#include "app/OpenDialog.h"

#include <QFileDialog>

namespace orvane::app {

namespace {
OpenDialog::Answer& Override() {
    static OpenDialog::Answer answer;
    return answer;
}
} // namespace

void OpenDialog::SetAnswer(Answer answer) {
    Override() = std::move(answer);
}

bool OpenDialog::Execute(QWidget* parent) {
    std::optional<QString> chosen;
    if (Override()) {
        chosen = Override()(*this);
    } else {
        const QString name = QFileDialog::getOpenFileName(parent, Title, FileName, Filter);
        if (!name.isEmpty())
            chosen = name;
    }
    if (!chosen)
        return false;
    FileName = *chosen;
    return true;
}

} // namespace orvane::app
