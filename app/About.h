#pragma once
#include <QDialog>

// The About box: product, maker and the linked TIFF library's version.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* owner);
};
