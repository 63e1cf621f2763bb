// The floating panels and the About box as the user meets them.
#include "tests/support/FrameHarness.h"

#include "app/AboutDialog.h"
#include "app/AppIcon.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <tiffio.h>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

// Presses `button` at `from` on `handle`, moves to `to` and releases there
// (both in frame coordinates), as a drag by the panel's background or title.
void Drag(ImageFrame& frame, QWidget* handle, QPoint from, QPoint to, Qt::MouseButton button) {
    auto local = [&](QPoint p) { return handle->mapFrom(&frame, p); };
    SendMouse(handle, QEvent::MouseButtonPress, local(from), button, button);
    SendMouse(handle, QEvent::MouseMove, local(to), Qt::NoButton, button);
    SendMouse(handle, QEvent::MouseButtonRelease, local(to), button, Qt::NoButton);
}

} // namespace

class FramePanelsTest : public QObject {
    Q_OBJECT

    TiffLayout Scanner(const QString& software, const QString& info = "notes") {
        TiffLayout layout;
        layout.software = software;
        layout.model = "Model X";
        layout.dateTime = "2026:01:02 03:04:05";
        layout.make = "Set-up";
        layout.description = info;
        return layout;
    }

private slots:
    void infoPanelHeightFollowsItsLines_data() {
        QTest::addColumn<QString>("software");
        QTest::addColumn<QString>("info");
        QTest::addColumn<bool>("otherTags");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("panelHeight");
        QTest::newRow("no scanner information (lower-case s)") << "scan 2"
                                                               << "x" << true << 2 << 65;
        QTest::newRow("scanner texts") << "Scan 2"
                                       << "notes" << true << 14 << 239;
        QTest::newRow("only the software tag") << "Scan 2"
                                               << "" << false << 14 << 239;
        QTest::newRow("three-line acquisition note") << "Scan 2"
                                                     << "a\nb\nc" << true << 16 << 268;
    }

    void infoPanelHeightFollowsItsLines() {
        QFETCH(QString, software);
        QFETCH(QString, info);
        QFETCH(bool, otherTags);
        QFETCH(int, lines);
        QFETCH(int, panelHeight);
        FrameHarness h;
        TiffLayout layout = Scanner(software, info);
        if (!otherTags)
            layout.model = layout.dateTime = layout.make = QString();
        h.Open(h.Write("info.tif", layout));
        h.form->Command("tiffInfoAction")->trigger();
        ImageFrame& f = h.Frame();
        QVERIFY(f.Components().infoPanel->isVisible());
        QCOMPARE(f.Components().infoText->document()->blockCount(), lines);
        QCOMPARE(f.Components().infoPanel->height(), panelHeight);
        QCOMPARE(f.Components().infoPanel->pos(), QPoint(0, 97));
        if (lines == 2)
            QCOMPARE(f.Components().infoText->toPlainText(),
                     QStringLiteral("No Information in this file.\n"));
    }

    void infoPanelBeforeAnImageShowsNothing() {
        FrameHarness h;
        QVERIFY(!h.form->Command("tiffInfoAction")->isEnabled());
        h.Frame().ShowTiffInfo();
        QVERIFY(!h.Frame().Components().infoPanel->isVisible());
    }

    void panelsDragCloseAndReturn() {
        FrameHarness h;
        h.Open(h.Write("panels.tif", Scanner("Scan 2")));
        ImageFrame& f = h.Frame();
        h.form->Command("tiffInfoAction")->trigger();

        // The information panel dragged by its title beyond the left edge and over the strip.
        Drag(f, f.Components().infoTitle, QPoint(200, 105), QPoint(100, 60), Qt::LeftButton);
        QCOMPARE(f.Components().infoPanel->pos(), QPoint(0, 97));
        Drag(f, f.Components().infoPanel, QPoint(5, 200), QPoint(305, 300), Qt::MiddleButton);
        QCOMPARE(f.Components().infoPanel->pos(), QPoint(300, 197));
        // Showing it again puts it back at the top left.
        h.form->Command("tiffInfoAction")->trigger();
        QCOMPARE(f.Components().infoPanel->pos(), QPoint(0, 97));
        f.Components().closeInfoButton->click();
        QVERIFY(!f.Components().infoPanel->isVisible());
        h.form->Command("tiffInfoAction")->trigger();
        QVERIFY(f.Components().infoPanel->isVisible());

        // The histogram panel dragged with the right button beyond the right edge.
        Drag(f, f.Components().histogramTitle, QPoint(1000, 105), QPoint(1150, 400),
             Qt::RightButton);
        QCOMPARE(f.Components().histogramPanel->pos(), QPoint(1200 - 288, 392));
        Drag(f, f.Components().histogramPanel, QPoint(1000, 400), QPoint(400, 400), Qt::LeftButton);
        QCOMPARE(f.Components().histogramPanel->pos(), QPoint(312, 392));
        // A resize brings it back to the top right; the information panel stays.
        Drag(f, f.Components().infoPanel, QPoint(5, 200), QPoint(105, 300), Qt::LeftButton);
        const QPoint infoPlace = f.Components().infoPanel->pos();
        h.SetClientSize(QSize(1100, 797));
        QCOMPARE(f.Components().histogramPanel->pos(), QPoint(1100 - 288, 97));
        QCOMPARE(f.Components().infoPanel->pos(), infoPlace);
    }

    void aboutBoxIsFreshEachTimeAndOpensItsLinks() {
        FrameHarness h;
        QList<QUrl> opened;
        AboutDialog::SetUrlOpener([&opened](const QUrl& url) { opened << url; });
        QStringList texts[2];
        QPointer<AboutDialog> boxes[2];
        for (int i = 0; i < 2; ++i) {
            QTimer::singleShot(0, this, [&, i] {
                auto* box = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
                QVERIFY(box);
                boxes[i] = box;
                for (QLabel* l : box->findChildren<QLabel*>())
                    texts[i] << l->text();
                QCOMPARE(box->size(), QSize(450, 285));
                QVERIFY(box->windowIcon().cacheKey() == h.form->windowIcon().cacheKey());
                QCOMPARE(box->libtiffLabel->text(), QString::fromLatin1(TIFFGetVersion()));
                QVERIFY(box->libtiffLabel->text().startsWith("LIBTIFF, Version "));
                QVERIFY(!box->libtiffLabel->text().contains("4.0.3"));
                for (QLabel* link : {box->mailCaption, box->webCaption, box->webLabel,
                                     box->logoImage, box->sloganLabel, box->mailLabel})
                    SendMouse(link, QEvent::MouseButtonRelease, QPoint(2, 2), Qt::LeftButton,
                              Qt::NoButton);
                box->close();
            });
            h.form->Command("aboutAction")->trigger();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!boxes[i]); // the box deleted itself on closing
        }
        QCOMPARE(texts[0], texts[1]);
        const QUrl web = AboutDialog::WebAddress(), mail = AboutDialog::MailLink();
        QCOMPARE(opened,
                 QList<QUrl>({web, web, web, web, web, mail, web, web, web, web, web, mail}));
        QCOMPARE(mail.scheme(), QStringLiteral("mailto"));
        AboutDialog::SetUrlOpener({});
    }

    // The main window carries the application's icon at every size a theme
    // asks for (the window manager reads them from the window).
    void windowsCarryTheIconAtEverySize() {
        FrameHarness h;
        const QIcon icon = h.form->windowIcon();
        QVERIFY(!icon.isNull());
        QList<QSize> sizes;
        for (int size : orvane::app::kIconSizes)
            sizes << QSize(size, size);
        QCOMPARE(icon.availableSizes(), sizes);
        QVERIFY(h.form->windowHandle()->icon().cacheKey() == icon.cacheKey());
    }
};

QTEST_MAIN(FramePanelsTest)
#include "FramePanelsTest.moc"
