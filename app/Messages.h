#pragma once
#include <QString>
#include <functional>

class QWidget;

// Every message box of the application goes through here, so that a batch run
// (orvane-snapshot) and the tests can record the texts instead of showing them.
enum class MessageKind {
    Plain,    // information box with OK
    Rejection // error box with OK and Cancel: a file that was refused
};

void ShowMessage(QWidget* parent, MessageKind kind, const QString& text);

// Replaces the boxes by `recorder` until reset with an empty function.
void SetMessageRecorder(std::function<void(MessageKind, const QString&)> recorder);
