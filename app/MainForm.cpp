#include "app/MainForm.h"

#include "app/About.h"
#include "app/AppIcon.h"
#include "app/ImageFrame.h"
#include "app/LayoutFonts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>

namespace orvane::app {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Orvane"));
    // Every window of the application (the About box too) shows the icon the
    // desktop entry installs.
    QApplication::setWindowIcon(AppIcon());
    RegisterLayoutFonts();
    setFont(TahomaFont(11));

    FrameTarsun = new TTarsunFrame(this);
    FrameTarsun->Components().LoadButton->hide();
    FrameTarsun->Components().InfoButton->hide();
    setCentralWidget(FrameTarsun);
    BuildMenu();
    UpdateMenuState();
    // Below the frame, whose own layout stays as designed.
    StatusLabel = new QLabel(this);
    StatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(StatusLabel, 1);
    connect(FrameTarsun, &TTarsunFrame::StatusTextChanged, StatusLabel, &QLabel::setText);
    connect(FrameTarsun, &TTarsunFrame::MenuStateChanged, this, &TForm1::UpdateMenuState);

    // A close asked for while a file is read takes effect once the open ends.
    connect(FrameTarsun, &TTarsunFrame::OpenEnded, this, [this] {
        if (closeAfterOpen_) {
            closeAfterOpen_ = false;
            close();
        }
    });

    resize(1010, 640 + menuBar()->sizeHint().height());
}

void TForm1::BuildMenu() {
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

    connect(Open1, &QAction::triggered, this, [this] { Open1Click(); });
    connect(Exit1, &QAction::triggered, this, [this] { Exit1Click(); });
    connect(LoadTexture1, &QAction::triggered, this, [this] { LoadTexture1Click(); });
    connect(RemoveTexture1, &QAction::triggered, this, [this] { RemoveTexture1Click(); });
    connect(IFFInfo1, &QAction::triggered, this, [this] { IFFInfo1Click(); });
    connect(AbutOrvane41, &QAction::triggered, this, [this] { AbutOrvane41Click(); });
}

void TForm1::UpdateMenuState() {
    const TTarsunFrame& frame = *FrameTarsun;
    // While a file is being opened the File, Options and About menus are off;
    // the commands on the image come with the first shown image and stay; the
    // texture can be removed while one is on. In the order an open ends.
    const bool idle = !frame.OpenInProgress();
    RemoveTexture1->setEnabled(frame.TextureShown());
    LoadTexture1->setEnabled(frame.ImageEverShown());
    IFFInfo1->setEnabled(frame.ImageEverShown());
    File1->menuAction()->setEnabled(idle);
    Options1->menuAction()->setEnabled(idle);
    About1->menuAction()->setEnabled(idle);
}

void TForm1::Open1Click() {
    FrameTarsun->LoadButtonClick();
}
void TForm1::Exit1Click() {
    close();
}
void TForm1::LoadTexture1Click() {
    FrameTarsun->LoadTextureButtonClick();
}
void TForm1::RemoveTexture1Click() {
    FrameTarsun->RemoveTextureButtonClick();
}
void TForm1::IFFInfo1Click() {
    FrameTarsun->InfoButtonClick();
}

void TForm1::AbutOrvane41Click() {
    // A fresh box each time, without owner, shown modally; it deletes itself.
    auto* box = new TAboutForm(nullptr);
    box->exec();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FrameTarsun->View().Loading) {
        closeAfterOpen_ = true;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace orvane::app
