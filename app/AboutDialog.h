#pragma once
#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;

namespace orvane::app {

// The About box: product, maker with links, and the linked TIFF library's
// version banner. Each showing is a fresh instance that deletes itself.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* owner);

    QLabel* logoImage = nullptr;
    QLabel* sloganLabel = nullptr;
    QLabel* productLabel = nullptr;
    QLabel* subtitleLabel = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* companyLabel = nullptr;
    QLabel* phoneLabel = nullptr;
    QLabel* streetLabel = nullptr;
    QLabel* webCaption = nullptr;
    QLabel* webLabel = nullptr;
    QLabel* cityLabel = nullptr;
    QLabel* mailCaption = nullptr;
    QLabel* mailLabel = nullptr;
    QLabel* libtiffLabel = nullptr;

    void OpenWebAddress();
    void LogoClicked();
    void SloganClicked();
    void WriteMail();

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
