#include "app/Messages.h"

#include <QMessageBox>

namespace orvane::app {

namespace {
std::function<void(MessageKind, const QString&)>& Recorder() {
    static std::function<void(MessageKind, const QString&)> recorder;
    return recorder;
}
} // namespace

void SetMessageRecorder(std::function<void(MessageKind, const QString&)> recorder) {
    Recorder() = std::move(recorder);
}

void ShowMessage(QWidget* parent, MessageKind kind, const QString& text) {
    if (Recorder()) {
        Recorder()(kind, text);
        return;
    }
    if (kind == MessageKind::Rejection)
        QMessageBox::critical(parent, QString(), text, QMessageBox::Ok | QMessageBox::Cancel);
    else if (kind == MessageKind::Error)
        QMessageBox::critical(parent, QString(), text, QMessageBox::Ok);
    else
        QMessageBox::information(parent, QString(), text, QMessageBox::Ok);
}

} // namespace orvane::app
