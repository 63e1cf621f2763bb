#include "app/About.h"

#include <QLabel>

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(450, 285);
    auto* name = new QLabel(QStringLiteral("Orvane"), this);
    name->move(215, 25);
}
