// Opening from the desktop: the command line, dropped files, File > Open Recent, the window's
// title, the dialogs' folder and the window's geometry from one start to the next.
#include "tests/support/FrameHarness.h"

#include "app/CommandLine.h"
#include "app/ImageBox.h"
#include "app/Settings.h"
#include "view3d/gl/SceneViewer.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

// A drag of `urls` entering `target` at `at`, then dropped there unless refused; whether the
// window accepted the drop.
struct DropOutcome {
    bool EnterAccepted = false;
    bool DropAccepted = false;
};
DropOutcome Drop(QWidget* target, QPoint at, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

QUrl File(const QString& path) {
    return QUrl::fromLocalFile(path);
}

} // namespace

class FrameDesktopTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;

    ImageFrame& Frame() { return h_->Frame(); }
    MainWindow& Form() { return *h_->form; }
    // A fresh window, as at start-up (the old harness's recorder goes first).
    void Restart() {
        h_.reset();
        h_ = std::make_unique<FrameHarness>();
    }

    QString WriteTiff(const QString& name, std::uint32_t side = 64, std::uint32_t value = 0x8000) {
        TiffLayout layout;
        layout.width = side;
        layout.height = side;
        return h_->Write(name, layout, value);
    }
    QString WriteText(const QString& name) {
        QFile file(h_->Path(name));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write fixture");
        file.write("not a picture and not a TIFF");
        return h_->Path(name);
    }
    QString WritePicture(const QString& name) {
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(255, 0, 0));
        if (!picture.save(h_->Path(name)))
            qFatal("cannot write picture");
        return h_->Path(name);
    }

    // What an open leaves: messages and their kinds, the labels, whether an image is shown.
    struct Outcome {
        QStringList Messages;
        QList<image::MessageKind> Kinds;
        QString fileLabel, sizeLabel;
        bool Shown;
    };
    Outcome Take() {
        Outcome o{h_->messages, h_->messageKinds, Frame().Components().fileLabel->text(),
                  Frame().Components().sizeLabel->text(), Frame().Image().HasImage()};
        h_->messages.clear();
        h_->messageKinds.clear();
        return o;
    }
    static void Same(const Outcome& a, const Outcome& b) {
        QCOMPARE(a.Messages, b.Messages);
        QCOMPARE(a.Kinds, b.Kinds);
        QCOMPARE(a.fileLabel, b.fileLabel);
        QCOMPARE(a.sizeLabel, b.sizeLabel);
        QCOMPARE(a.Shown, b.Shown);
    }

private slots:
    void init() { h_ = std::make_unique<FrameHarness>(); }
    void cleanup() { h_.reset(); }

    // ---- the command line ----

    void commandLineArguments() {
        QCoreApplication::setApplicationVersion(QStringLiteral("2.0.2"));
        const QString cwd = QDir::currentPath();
        StartupRequest r = ParseCommandLine({"orvane"});
        QVERIFY(r.File.isEmpty());
        QVERIFY(!r.Exit);
        QVERIFY(r.Errors.isEmpty());

        r = ParseCommandLine({"orvane", "scan.tif"});
        QCOMPARE(r.File, QDir(cwd).absoluteFilePath("scan.tif"));
        QVERIFY(!r.Exit);
        QVERIFY(r.Errors.isEmpty());

        r = ParseCommandLine({"orvane", "/a/first.tif", "second.tif", "third.tif"});
        QCOMPARE(r.File, QStringLiteral("/a/first.tif"));
        QCOMPARE(r.IgnoredFiles, QStringList({"second.tif", "third.tif"}));
        QVERIFY2(r.Errors.contains("ignored: second.tif, third.tif"), qPrintable(r.Errors));
        QVERIFY(!r.Exit);

        r = ParseCommandLine({"orvane", "--version"});
        QCOMPARE(r.Exit, std::optional<int>(0));
        QCOMPARE(r.Output, QCoreApplication::applicationName() + " 2.0.2\n");

        r = ParseCommandLine({"orvane", "--help", "scan.tif"});
        QCOMPARE(r.Exit, std::optional<int>(0));
        QVERIFY(r.Output.contains("[FILE]"));
        QVERIFY(r.Output.contains("--version"));
        QVERIFY(r.File.isEmpty());

        r = ParseCommandLine({"orvane", "--bogus", "scan.tif"});
        QCOMPARE(r.Exit, std::optional<int>(2));
        QVERIFY(r.Errors.contains("bogus"));
        QVERIFY(r.File.isEmpty());
    }

    void commandLineFileOpensAsFileOpenDoes() {
        TiffLayout rgb;
        rgb.width = 16;
        rgb.height = 16;
        rgb.samplesPerPixel = 3;
        rgb.photometric = 2;
        // Kept apart from the harness's folder, which goes with each fresh window.
        QTemporaryDir kept;
        auto keep = [&kept](const QString& path) {
            const QString copy = kept.filePath(QFileInfo(path).fileName());
            QFile::copy(path, copy);
            return copy;
        };
        const QString files[] = {keep(WriteTiff("good.tif")), kept.filePath("missing.tif"),
                                 keep(h_->Write("rgb.tif", rgb)), keep(WriteText("notes.tif"))};
        for (const QString& path : files) {
            // Each file from a fresh window, once from the command line and once from the menu.
            Restart();
            Form().OpenFile(ParseCommandLine({"orvane", path}).File);
            h_->WaitForOpen();
            const Outcome fromCommandLine = Take();
            const QString title = Form().windowTitle();
            const QString filePath = Form().windowFilePath();
            Restart();
            h_->Open(path);
            Same(fromCommandLine, Take());
            QCOMPARE(Form().windowTitle(), title);
            QCOMPARE(Form().windowFilePath(), filePath);
            QCOMPARE(Form().RecentFiles().size(), fromCommandLine.Shown ? 1 : 0);
        }
        // The refusals said what File > Open says: here the rejected file's two messages.
        Restart();
        Form().OpenFile(files[2]);
        h_->WaitForOpen();
        QCOMPARE(h_->messages,
                 QStringList({"Incorrect Photometric Value!", "Not a grayscale file!"}));
        Form().OpenFile(files[1]);
        h_->WaitForOpen();
        QCOMPARE(h_->messages.size(), 3);
        QVERIFY(h_->messages[2].contains("missing.tif"));
    }

    void titleNamesTheFileShown() {
        QCOMPARE(Form().windowTitle(), QStringLiteral("Orvane"));
        const QString good = WriteTiff("good.tif");
        h_->Open(good);
        QCOMPARE(Form().windowTitle(), QStringLiteral("good.tif - Orvane"));
        QCOMPARE(Form().windowFilePath(), good);
        QCOMPARE(Frame().ShownFile(), good);
        // A refused file leaves the image that was open, and its title.
        h_->Open(WriteText("bad.tif"));
        QCOMPARE(Form().windowTitle(), QStringLiteral("good.tif - Orvane"));
        QCOMPARE(Form().windowFilePath(), good);
        QCOMPARE(Frame().ShownFile(), good);
    }

    // ---- drops ----

    void droppedFileOpensAsFileOpenDoes() {
        const QString tiff = WriteTiff("dropped.tif", 80);
        const QString text = WriteText("notes.txt");
        for (const QString& path : {tiff, text}) {
            h_->Open(WriteTiff("before.tif")); // the same start for both ways
            Take();
            const DropOutcome d =
                Drop(Frame().Components().imageBox, {20, 20}, {File(path), File(tiff)});
            QVERIFY(d.EnterAccepted);
            QVERIFY(d.DropAccepted);
            // The open runs once the drop is over.
            QTRY_COMPARE(Frame().FileOpenDialog().FileName, path);
            QTRY_VERIFY(!Frame().OpenInProgress());
            const Outcome dropped = Take();
            h_->Open(WriteTiff("before.tif"));
            Take();
            h_->Open(path);
            Same(dropped, Take());
        }
        // The text file was refused both times, leaving the image that was open.
        QCOMPARE(Frame().ShownFile(), h_->Path("before.tif"));
    }

    void pictureDroppedOntoTheReliefBecomesTheTexture() {
        const QString tiff = WriteTiff("relief.tif", 64);
        h_->Open(tiff);
        const QString picture = WritePicture("picture.png");
        // Onto the 2D view a picture is a file to open, and refused as File > Open refuses it.
        Drop(Frame().Components().imageBox, {10, 10}, {File(picture)});
        QTRY_COMPARE(Frame().FileOpenDialog().FileName, picture);
        QCOMPARE(h_->messages.size(), 1);
        QVERIFY(h_->messages[0].contains("picture.png"));
        QVERIFY(!Frame().TextureShown());

        h_->Open(tiff);
        Frame().Components().view3dButton->click();
        view3d::SceneViewer* viewer = Frame().Components().sceneViewer;
        QVERIFY(viewer->isVisible());
        QVERIFY(Drop(viewer, {100, 100}, {File(picture)}).DropAccepted);
        QTRY_VERIFY(Frame().TextureShown());
        QVERIFY(h_->messages.isEmpty());
        QCOMPARE(Frame().Scene().heightField.material.texture.ImageFileName(), picture);
        QCOMPARE(Frame().ShownFile(), tiff); // the height map stays
        QVERIFY(Form().Command("removeTextureAction")->isEnabled());

        // A picture that cannot be read gets Load Texture's message; the texture stays.
        const QString broken = h_->Path("broken.png");
        QFile(WriteText("broken.txt")).copy(broken);
        Drop(viewer, {100, 100}, {File(broken)});
        QTRY_COMPARE(h_->messages.size(), 1);
        QVERIFY2(h_->messages[0].startsWith("Could not read texture \"broken.png\""),
                 qPrintable(h_->messages[0]));
        QCOMPARE(Frame().Scene().heightField.material.texture.ImageFileName(), picture);

        // A TIFF dropped onto the relief is a height map: it opens.
        const QString next = WriteTiff("next.tif", 32);
        Drop(viewer, {100, 100}, {File(next)});
        QTRY_COMPARE(Frame().ShownFile(), next);
        QVERIFY(!Frame().TextureShown());
    }

    void dropsDuringAReadAreRefused() {
        TiffLayout big;
        big.width = 3000;
        big.height = 3000;
        const QString path = h_->Write("big.tif", big);
        const QString other = WriteTiff("other.tif");
        // A drag the window takes, so that the drop below is delivered to it.
        QMimeData primer;
        primer.setUrls({File(other)});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &primer, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(Frame().Components().imageBox, &enter);
        QVERIFY(enter.isAccepted());

        DropOutcome during;
        bool loading = false;
        QTimer::singleShot(0, this, [&] {
            loading = Frame().View().Loading;
            during = Drop(Frame().Components().imageBox, {20, 20}, {File(other)});
        });
        h_->Open(path);
        QVERIFY(loading);
        QVERIFY(!during.EnterAccepted);
        QVERIFY(!during.DropAccepted);
        QTest::qWait(50);
        QCOMPARE(Frame().ShownFile(), path); // nothing else was opened
        QCOMPARE(Form().RecentFiles(), QStringList({path}));
    }

    // ---- File > Open Recent ----

    void recentFilesMostRecentFirstAtMostEight() {
        QVERIFY(!Form().Command("openRecentMenu")->isEnabled());
        QStringList opened;
        for (int i = 1; i <= 10; ++i) {
            opened.prepend(WriteTiff(QStringLiteral("scan%1.tif").arg(i), 16));
            h_->Open(opened.front());
        }
        h_->Open(WriteText("refused.tif")); // not a file that opened: not listed
        const QStringList expected = opened.mid(0, 8);
        QCOMPARE(Form().RecentFiles(), expected);
        QVERIFY(Form().Command("openRecentMenu")->isEnabled());
        const QList<QAction*> items = Form().RecentFileCommands();
        QCOMPARE(items.size(), 10); // 8 files, a separator, Clear Menu
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(items[i]->data().toString(), expected[i]);
            QVERIFY(items[i]->text().startsWith(QStringLiteral("&%1 ").arg(i + 1)));
        }
        QCOMPARE(items.back(), Form().Command("clearRecentAction"));

        // Opening one moves it to the front.
        items[5]->trigger();
        h_->WaitForOpen();
        QCOMPARE(Frame().ShownFile(), expected[5]);
        QCOMPARE(Form().RecentFiles().front(), expected[5]);
        QCOMPARE(Form().RecentFiles().size(), 8);

        // Remembered by the next start.
        MainWindow next;
        QCOMPARE(next.RecentFiles(), Form().RecentFiles());

        Form().Command("clearRecentAction")->trigger();
        QVERIFY(Form().RecentFiles().isEmpty());
        QCOMPARE(Form().RecentFileCommands().size(), 2);
        QVERIFY(!Form().Command("openRecentMenu")->isEnabled());
        QVERIFY(MainWindow().RecentFiles().isEmpty());
    }

    void aRecentFileThatIsGoneIsRemovedWithAMessage() {
        const QString kept = WriteTiff("kept.tif");
        const QString gone = WriteTiff("gone.tif");
        h_->Open(kept);
        h_->Open(gone);
        h_->Open(kept);
        QCOMPARE(Form().RecentFiles(), QStringList({kept, gone}));
        QVERIFY(QFile::remove(gone));
        h_->messages.clear();
        Form().RecentFileCommands()[1]->trigger();
        h_->WaitForOpen();
        QCOMPARE(h_->messages.size(), 1);
        QVERIFY2(h_->messages[0].contains(QDir::toNativeSeparators(gone)) &&
                     h_->messages[0].contains("removed from the recent files"),
                 qPrintable(h_->messages[0]));
        QCOMPARE(h_->messageKinds[0], image::MessageKind::Error);
        QCOMPARE(Form().RecentFiles(), QStringList({kept}));
        QCOMPARE(Frame().ShownFile(), kept); // nothing was opened
        QCOMPARE(MainWindow().RecentFiles(), QStringList({kept}));
    }

    // ---- what the next start remembers ----

    void dialogsStartInTheLastFolderUsed() {
        QVERIFY(QDir(h_->dir.path()).mkpath("scans"));
        const QString path = WriteTiff("scans/one.tif");
        MainWindow fresh;
        QVERIFY(fresh.Frame().FileOpenDialog().FileName.isEmpty());
        h_->Open(path);
        MainWindow next;
        QCOMPARE(next.Frame().FileOpenDialog().FileName, h_->Path("scans"));
    }

    void windowGeometryIsRestored() {
        {
            MainWindow first;
            first.ShowAsLastTime();
            QVERIFY(first.windowState() & Qt::WindowMaximized); // the first start
        }
        {
            MainWindow normal;
            normal.setGeometry(100, 80, 700, 500);
            normal.show();
            QVERIFY(QTest::qWaitForWindowExposed(&normal));
            QTRY_COMPARE(normal.size(), QSize(700, 500));
            normal.close();
        }
        MainWindow second;
        second.ShowAsLastTime();
        QVERIFY(!(second.windowState() & Qt::WindowMaximized));
        QCOMPARE(second.size(), QSize(700, 500));
        second.showMaximized();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        second.close();
        MainWindow third;
        third.ShowAsLastTime();
        QVERIFY(third.windowState() & Qt::WindowMaximized);
    }
};

QTEST_MAIN(FrameDesktopTest)
#include "FrameDesktopTest.moc"
