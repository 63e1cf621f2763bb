#include "app/MainForm.h"

#include "app/About.h"
#include "app/ImageFrame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Orvane"));
    setWindowIcon(QIcon(QStringLiteral(":/orvane/orvane.png")));
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);

    FrameTarsun = new TTarsunFrame(this);
    FrameTarsun->LoadButton->hide();
    FrameTarsun->InfoButton->hide();
    setCentralWidget(FrameTarsun);

    QStyle* s = style();
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    Open1 = File1->addAction(s->standardIcon(QStyle::SP_DialogOpenButton), QStringLiteral("Open"));
    Open1->setShortcut(QKeySequence::Open);
    File1->addSeparator();
    Exit1 = File1->addAction(s->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Exit"));
    Exit1->setShortcut(QKeySequence::Quit);
    Options1 = menuBar()->addMenu(QStringLiteral("Options"));
    LoadTexture1 = Options1->addAction(s->standardIcon(QStyle::SP_FileDialogContentsView),
                                       QStringLiteral("Load Texture"));
    RemoveTexture1 = Options1->addAction(s->standardIcon(QStyle::SP_TrashIcon),
                                         QStringLiteral("Remove Texture"));
    IFFInfo1 = Options1->addAction(s->standardIcon(QStyle::SP_FileDialogInfoView),
                                   QStringLiteral("TIFF Info"));
    About1 = menuBar()->addMenu(QStringLiteral("About"));
    AbutOrvane41 = About1->addAction(s->standardIcon(QStyle::SP_MessageBoxInformation),
                                     QStringLiteral("About Orvane"));
    LoadTexture1->setEnabled(false);
    RemoveTexture1->setEnabled(false);
    IFFInfo1->setEnabled(false);

    FrameTarsun->Menus = {File1->menuAction(), Options1->menuAction(), About1->menuAction(),
                          LoadTexture1,        RemoveTexture1,         IFFInfo1};

    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(LoadTexture1, &QAction::triggered, this, [this] { LoadTexture1Click(); });
    connect(RemoveTexture1, &QAction::triggered, this, [this] { RemoveTexture1Click(); });
    connect(IFFInfo1, &QAction::triggered, this, [this] { IFFInfo1Click(); });
    connect(AbutOrvane41, &QAction::triggered, this, [this] { AbutOrvane41Click(); });

    // A close asked for while a file is read takes effect once the open ends.
    connect(FrameTarsun, &TTarsunFrame::OpenEnded, this, [this] {
        if (closeAfterOpen_) {
            closeAfterOpen_ = false;
            close();
        }
    });

    resize(1010, 640 + menuBar()->sizeHint().height());
}

void TForm1::Open1Click() { FrameTarsun->LoadButtonClick(); }
void TForm1::Exit1Click() { close(); }
void TForm1::LoadTexture1Click() { FrameTarsun->LoadTextureButtonClick(); }
void TForm1::RemoveTexture1Click() { FrameTarsun->RemoveTextureButtonClick(); }
void TForm1::IFFInfo1Click() { FrameTarsun->InfoButtonClick(); }

void TForm1::AbutOrvane41Click() {
    // A fresh box each time, without owner, shown modally; it deletes itself.
    auto* box = new TAboutForm(nullptr);
    box->exec();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FrameTarsun->Loading) {
        closeAfterOpen_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}
