#include "app/AboutDialog.h"

#include "app/AppIcon.h"

#include "app/LayoutFonts.h"

#include <QDesktopServices>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <cmath>
#include <tiffio.h>

namespace orvane::app {

namespace {

// The maker's details. Neutral, fictional values.
const char* const kCompany = "Example Ltd";
const char* const kSlogan = "MEASURED SURFACES";
const char* const kStreet = "1 Example Street";
const char* const kCity = "00000 Example City, Exampleland";
const char* const kPhone = "+00 000 000 0000";
const char* const kWeb = "www.example.com";
const char* const kMail = "info@example.com";

std::function<void(const QUrl&)>& UrlOpener() {
    static std::function<void(const QUrl&)> opener;
    return opener;
}

void OpenUrl(const QUrl& url) {
    // A link that cannot be opened is not an error of the box: nothing to report.
    if (UrlOpener())
        UrlOpener()(url);
    else
        QDesktopServices::openUrl(url);
}

// The maker's logo: a shaded relief under a horizon line, drawn at 314 x 206
// and shown scaled down proportionally.
QPixmap Logo() {
    QImage image(314, 206, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 206);
    sky.setColorAt(0, QColor(40, 70, 120));
    sky.setColorAt(1, QColor(150, 180, 210));
    p.setBrush(sky);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, 314, 206), 18, 18);
    p.setBrush(QColor(225, 225, 215));
    p.drawPath(ReliefPath(0, 314, 2, 150, 206, {{110, 40, 45}, {220, 30, 28}}));
    return QPixmap::fromImage(image).scaled(195, 123, Qt::KeepAspectRatio,
                                            Qt::SmoothTransformation);
}

} // namespace

QString LinkedLibtiffBanner() {
    return QString::fromLatin1(TIFFGetVersion());
}

const QUrl& AboutDialog::WebAddress() {
    static const QUrl url(QStringLiteral("https://") + QString::fromLatin1(kWeb));
    return url;
}

const QUrl& AboutDialog::MailLink() {
    static const QUrl url(QStringLiteral("mailto:") + QString::fromLatin1(kMail));
    return url;
}

void AboutDialog::SetUrlOpener(std::function<void(const QUrl&)> opener) {
    UrlOpener() = std::move(opener);
}

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner) {
    RegisterLayoutFonts();
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(450, 285);
    setFont(TahomaFont(11));
    setModal(true);

    logoImage = new QLabel(this);
    logoImage->setGeometry(8, 14, 195, 123);
    logoImage->setPixmap(Logo());
    logoImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    logoImage->setCursor(Qt::PointingHandCursor);
    sloganLabel = MakeLabel(this, 22, 97, QString::fromLatin1(kSlogan),
                            LayoutFont(QStringLiteral("Arial"), 12, true));
    sloganLabel->setAttribute(Qt::WA_TranslucentBackground);
    sloganLabel->setCursor(Qt::PointingHandCursor);
    productLabel = MakeLabel(this, 215, 25, QStringLiteral("Orvane"),
                             LayoutFont(QStringLiteral("Arial Black"), 20, true));
    subtitleLabel = MakeLabel(this, 229, 56, QStringLiteral("TIFF visualization and 3D rendering"),
                              TahomaFont(12));
    versionLabel = MakeLabel(this, 287, 76, QStringLiteral("version 2.0.2"), font());
    const QFont arial = LayoutFont(QStringLiteral("Arial"), 11);
    companyLabel = MakeLabel(this, 22, 155,
                             QString::fromLatin1(kCompany) + QStringLiteral(" - ") +
                                 QString::fromLatin1(kSlogan).toLower(),
                             arial);
    phoneLabel =
        MakeLabel(this, 231, 155, QStringLiteral("Phone: ") + QString::fromLatin1(kPhone), arial);
    streetLabel = MakeLabel(this, 22, 175, QString::fromLatin1(kStreet), arial);
    webCaption = MakeLabel(this, 231, 175, QStringLiteral("Web:"), arial);
    webLabel = MakeLabel(this, 267, 175, QString::fromLatin1(kWeb), arial);
    webLabel->setStyleSheet(QStringLiteral("color: blue"));
    webLabel->setCursor(Qt::PointingHandCursor);
    cityLabel = MakeLabel(this, 22, 195, QString::fromLatin1(kCity), arial);
    mailCaption = MakeLabel(this, 230, 195, QStringLiteral("E-mail:"), arial);
    mailLabel = MakeLabel(this, 267, 195, QString::fromLatin1(kMail), arial);
    mailLabel->setStyleSheet(QStringLiteral("color: blue"));
    mailLabel->setCursor(Qt::PointingHandCursor);
    libtiffLabel = MakeLabel(this, 22, 232, LinkedLibtiffBanner(), font());

    for (QLabel* clickable : {logoImage, sloganLabel, webCaption, webLabel, mailCaption, mailLabel})
        clickable->installEventFilter(this);

    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void AboutDialog::OpenWebAddress() {
    OpenUrl(WebAddress());
}
void AboutDialog::LogoClicked() {
    OpenUrl(WebAddress());
}
void AboutDialog::SloganClicked() {
    OpenUrl(WebAddress());
}
void AboutDialog::WriteMail() {
    OpenUrl(MailLink());
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease ||
        static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QDialog::eventFilter(watched, event);
    // "Web:" and "E-mail:" both open the web address; only the address
    // itself opens the mail link.
    if (watched == mailLabel)
        WriteMail();
    else if (watched == logoImage)
        LogoClicked();
    else if (watched == sloganLabel)
        SloganClicked();
    else
        OpenWebAddress();
    return true;
}

} // namespace orvane::app
