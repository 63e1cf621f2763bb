#pragma once
#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;

namespace orvane::app {

// The About box: product, maker with links, and the linked TIFF library's
// version banner. Each showing is a fresh instance that deletes itself.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* owner);

    QLabel* TarsunImage = nullptr;
    QLabel* TarsunLabel = nullptr;
    QLabel* ViewerLabel = nullptr;
    QLabel* ViewerLabel16 = nullptr;
    QLabel* versLabel = nullptr;
    QLabel* TarsunLabel1 = nullptr;
    QLabel* phoneLabel = nullptr;
    QLabel* TarsunviaLabel = nullptr;
    QLabel* webLabel = nullptr;
    QLabel* linkLabel = nullptr;
    QLabel* TarsuncityLabel = nullptr;
    QLabel* mailLabel = nullptr;
    QLabel* emailLabel = nullptr;
    QLabel* LibtiffLabel = nullptr;

    void linkLabelClick();
    void TarsunImageClick();
    void TarsunLabelClick();
    void emailLabelClick();

    static const QUrl& WebAddress();
    static const QUrl& MailLink();
    // Where links go; the desktop's URL handler unless replaced (tests).
    static void SetUrlOpener(std::function<void(const QUrl&)> opener);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The version banner of the TIFF library this program is linked with.
QString LinkedLibtiffBanner();

} // namespace orvane::app
