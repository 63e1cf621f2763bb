#pragma once
#include <QMainWindow>

class QAction;
class QLabel;
class QMenu;

namespace orvane::app {

class TTarsunFrame;

// The main window: its menu only forwards to the frame, which fills the
// whole client area.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    TTarsunFrame* FrameTarsun = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Options1 = nullptr;
    QAction* LoadTexture1 = nullptr;
    QAction* RemoveTexture1 = nullptr;
    QAction* IFFInfo1 = nullptr;
    QMenu* About1 = nullptr;
    QAction* AbutOrvane41 = nullptr;
    // The status bar's text: the exact sample under the pointer, or the file's summary.
    QLabel* StatusLabel = nullptr;

    void Open1Click();
    void Exit1Click();
    void LoadTexture1Click();
    void RemoveTexture1Click();
    void IFFInfo1Click();
    void AbutOrvane41Click();

    // Sets every menu item's enabled state from the frame's state: the one
    // place that does.
    void UpdateMenuState();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenu();
    bool closeAfterOpen_ = false;
};

} // namespace orvane::app
