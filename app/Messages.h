#pragma once
#include "image/OpenImage.h"

#include <QString>
#include <functional>

class QWidget;

namespace orvane::app {

// Every message box of the application goes through here, so that a batch run
// (orvane-snapshot) and the tests can record the texts instead of showing them.
using image::MessageKind;

void ShowMessage(QWidget* parent, MessageKind kind, const QString& text);

// Replaces the boxes by `recorder` until reset with an empty function.
void SetMessageRecorder(std::function<void(MessageKind, const QString&)> recorder);

} // namespace orvane::app
