#include "app/LayoutFonts.h"

#include <QToolButton>

#include <QFrame>

#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace orvane::app {

void RegisterLayoutFonts() {
    static const bool registered = [] {
        bool tahoma = false;
        for (const char* file :
             {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"})
            if (QFile::exists(QString::fromLatin1(file)))
                tahoma |= QFontDatabase::addApplicationFont(QString::fromLatin1(file)) >= 0;
        if (!tahoma)
            QFont::insertSubstitution(QStringLiteral("Tahoma"),
                                      QStringLiteral("DejaVu Sans Condensed"));
        return tahoma;
    }();
    (void)registered;
}

// An orange-red cross of 14 x 14 pixels on a transparent background.
QIcon CloseGlyph() {
    QPixmap glyph(14, 14);
    glyph.fill(Qt::transparent);
    QPainter p(&glyph);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 69, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(3, 3, 11, 11);
    p.drawLine(11, 3, 3, 11);
    return QIcon(glyph);
}

QFont LayoutFont(const QString& family, int pixelHeight, bool bold) {
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QLabel* MakeLabel(QWidget* parent, int x, int y, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->move(x, y);
    label->adjustSize();
    return label;
}

void StyleRaisedPanel(QFrame* panel) {
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setAutoFillBackground(true);
}

QToolButton* MakeCloseButton(QWidget* panel, const QRect& place) {
    auto* button = new QToolButton(panel);
    button->setGeometry(place);
    button->setAutoRaise(true);
    button->setIcon(CloseGlyph());
    return button;
}

} // namespace orvane::app
