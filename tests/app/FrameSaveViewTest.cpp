// File > Save View As... and Edit > Copy View: the picture written is the one shown, pixel for
// pixel, or in 2D the view window at file resolution; a failed save leaves nothing behind.
#include "tests/support/FrameHarness.h"

#include "app/ImageBox.h"
#include "tests/support/TiffSurgery.h"
#include "view2d/ViewExport.h"
#include "view3d/gl/SceneViewer.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <sys/resource.h>
#include <tiffio.h>
#include <unistd.h>

using namespace orvane;
using namespace orvane::app;
using namespace orvane::test;
using orvane::tools::TiffLayout;

namespace {

QImage Rgb(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB32);
}

// A sample varying along both axes, in both bytes.
std::uint32_t Sample(std::uint32_t x, std::uint32_t y) {
    return ((x * 7 + y * 3) & 0xFF) << 8 | ((x + y) & 0xFF);
}

// The file-size limit of the process, lowered for a scope: writes past it fail as on a full
// disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // a failing write, not a killed process
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

} // namespace

class FrameSaveViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<FrameHarness> h_;
    std::optional<SaveViewDialog::Choice> answer_;
    QString askedName_;
    bool askedOffered_ = false;

    ImageFrame& Frame() { return h_->Frame(); }
    ImageBox* Box() { return Frame().Components().imageBox; }

    QString OpenRelief(std::uint32_t width = 1000, std::uint32_t height = 800) {
        TiffLayout layout;
        layout.width = width;
        layout.height = height;
        const QString path = h_->Write("relief.tif", layout, Sample);
        h_->Open(path);
        if (!Frame().Image().HasImage())
            qFatal("relief not opened");
        return path;
    }

    // Saves through File > Save View As... and waits until the save has ended.
    void Save(const QString& fileName, bool fileResolution = false) {
        answer_ = SaveViewDialog::Choice{fileName, fileResolution};
        h_->form->Command("saveViewAction")->trigger();
        QVERIFY(QTest::qWaitFor([this] { return !Frame().SavingView(); }, 60000));
    }

    QStringList FolderEntries(const QString& folder) {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

private slots:
    void init() {
        h_ = std::make_unique<FrameHarness>();
        SaveViewDialog::SetAnswer([this](const SaveViewDialog& shown) {
            askedName_ = shown.FileName;
            askedOffered_ = shown.FileResolutionOffered;
            return answer_;
        });
    }
    void cleanup() {
        SaveViewDialog::SetAnswer({});
        h_.reset();
    }

    void saveAndCopyWriteThe2DBoxAsShown() {
        const QString tiff = OpenRelief();
        QVERIFY(h_->form->Command("saveViewAction")->isEnabled());
        for (int i = 0; i < 4; ++i)
            SendWheel(&Frame(), 120);
        // The view alone, without the histogram panel over it.
        Frame().Components().histogramPanel->hide();
        QThread::msleep(40);
        Box()->repaint();
        const QImage shown = Rgb(PaintedPixels(Box()));
        QCOMPARE(shown.size(), Box()->size() * Box()->devicePixelRatioF());

        for (const QString name : {"view.png", "view.tif", "view.TIFF"}) {
            const QString path = h_->Path(name);
            Save(path);
            QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
            QCOMPARE(Rgb(QImage(path)), shown);
        }
        // The dialog offered the file's name in its folder, and the check box.
        QCOMPARE(askedName_, h_->Path("relief-view.png"));
        QVERIFY(askedOffered_);

        // JPEG: the format of the extension, at the same size.
        Save(h_->Path("view.jpg"));
        QCOMPARE(QImageReader(h_->Path("view.jpg")).format(), QByteArray("jpeg"));
        QCOMPARE(QImage(h_->Path("view.jpg")).size(), shown.size());
        QCOMPARE(QImageReader(h_->Path("view.tif")).format(), QByteArray("tiff"));

        h_->form->Command("copyViewAction")->trigger();
        QCOMPARE(Rgb(QApplication::clipboard()->image()), shown);
    }

    void theScaleBarIsInTheViewAndItsPictures() {
        TiffLayout layout;
        layout.width = 1000;
        layout.height = 800;
        layout.xResolution = 254.0f; // 0.1 mm a pixel
        h_->Open(h_->Write("scaled.tif", layout, Sample));
        QVERIFY(!Frame().ShownScaleBar());
        h_->form->Command("scaleBarAction")->setChecked(true);
        // 1000 pixels over an 875-pixel box: a quarter of it holds 25 mm, so 20 mm over 175.
        const std::optional<view2d::ScaleBar> bar = Frame().ShownScaleBar();
        QVERIFY(bar);
        QCOMPARE(bar->length, 20.0);
        QCOMPARE(bar->unit, QStringLiteral("mm"));
        QVERIFY(std::abs(bar->pixels - 175) < 1e-9);
        Frame().Components().histogramPanel->hide();
        QThread::msleep(40);
        Box()->repaint();
        const QImage shown = Rgb(PaintedPixels(Box()));
        const qreal ratio = Box()->devicePixelRatioF();
        const int barY = int((Box()->height() - 17) * ratio);
        for (const int x : {16, 189})
            QCOMPARE(shown.pixel(int(x * ratio), barY), qRgb(0, 0, 0));
        QVERIFY(shown.pixel(int(200 * ratio), barY) != qRgb(0, 0, 0));
        Save(h_->Path("bar.png"));
        QCOMPARE(Rgb(QImage(h_->Path("bar.png"))), shown);
        h_->form->Command("copyViewAction")->trigger();
        QCOMPARE(Rgb(QApplication::clipboard()->image()), shown);
        // In 3D there is none.
        Frame().ChooseView(true);
        QVERIFY(!Frame().ShownScaleBar());
    }

    void saveAndCopyWriteThe3DViewAsShown() {
        OpenRelief(600, 400);
        Frame().Components().view3dButton->click();
        view3d::SceneViewer* viewer = Frame().Components().sceneViewer;
        QVERIFY(viewer->isVisible());
        const QImage shown = Rgb(viewer->grabFramebuffer());
        QCOMPARE(shown.size(), viewer->size() * viewer->devicePixelRatioF());
        const QString path = h_->Path("relief3d.png");
        Save(path, true); // the check box is not offered in 3D: ignored
        QVERIFY(!askedOffered_);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        QCOMPARE(Rgb(QImage(path)), shown);
        h_->form->Command("copyViewAction")->trigger();
        QCOMPARE(Rgb(QApplication::clipboard()->image()), shown);
    }

    void fileResolutionFromTheLevelBuffer() {
        TiffLayout layout;
        layout.width = 300;
        layout.height = 200;
        h_->Open(h_->Write("small.tif", layout, Sample));
        QCOMPARE(Frame().Image().ColumnStep, 1);
        for (int i = 0; i < 6; ++i)
            SendWheel(&Frame(), 120);
        const view2d::FileRect rect = view2d::ShownFileRect(Frame().View().Window, Frame().Image());
        const QString path = h_->Path("full.png");
        Save(path, true);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        const QImage saved = QImage(path);
        QCOMPARE(saved.size(), QSize(int(rect.Width), int(rect.Height)));
        QVERIFY(saved.size() != Box()->size()); // not the box's picture
        for (int y = 0; y < saved.height(); ++y)
            for (int x = 0; x < saved.width(); ++x) {
                const int level =
                    int(Sample(std::uint32_t(rect.Column + x), std::uint32_t(rect.Row + y)) >> 8);
                QCOMPARE(saved.pixel(x, y), qRgb(level, level, level));
            }
    }

    void fileResolutionFromTheFileWhereItWasThinned() {
        // Wider than the viewer keeps: read every second column and row.
        TiffLayout layout;
        layout.width = 33000;
        layout.height = 400;
        layout.bitsPerSample = 8;
        const QString tiff = h_->Write("wide.tif", layout, [](std::uint32_t x, std::uint32_t y) {
            return (x * 7 + y * 3) & 0xFF;
        });
        h_->Open(tiff);
        QCOMPARE(Frame().Image().ColumnStep, 2);
        for (int i = 0; i < 16; ++i)
            SendWheel(&Frame(), 120);
        const view2d::FileRect rect = view2d::ShownFileRect(Frame().View().Window, Frame().Image());
        QVERIFY(rect.Width <= view2d::kMaxExportSide);
        const QString path = h_->Path("wide.png");
        Save(path, true);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        const QImage saved = QImage(path);
        QCOMPARE(saved.size(), QSize(int(rect.Width), int(rect.Height)));
        // Odd columns and rows are in no level of the buffer: they come from the file.
        for (int y : {0, 1, int(rect.Height) / 2 + 1, int(rect.Height) - 1})
            for (int x : {0, 1, 3, int(rect.Width) / 2 + 1, int(rect.Width) - 1}) {
                const int level = int(
                    (std::uint32_t(rect.Column + x) * 7 + std::uint32_t(rect.Row + y) * 3) & 0xFF);
                QCOMPARE(saved.pixel(x, y), qRgb(level, level, level));
            }
    }

    // A save at file resolution reads, encodes and writes off the window's thread: the window
    // goes on meanwhile, a modal progress dialog counts the rows, and its Cancel leaves no
    // file and no message.
    void fileResolutionSaveRunsBehindAProgressDialog() {
        OpenRelief(4000, 3000);
        QCOMPARE(Frame().Image().ColumnStep, 1);
        const QString path = h_->Path("full.png");
        bool loopRan = false;
        int dialogMaximum = -1;
        QTimer::singleShot(0, &Frame(), [&] {
            loopRan = true;
            QVERIFY(!Frame().AcceptsDrops()); // a drop would free the buffer being saved
            if (auto* dialog = Frame().findChild<QProgressDialog*>()) {
                dialogMaximum = dialog->maximum();
                QVERIFY(dialog->windowModality() != Qt::NonModal);
                QPushButton* cancel = dialog->findChild<QPushButton*>();
                QVERIFY(cancel);
                cancel->click();
            }
        });
        Save(path, true);
        QVERIFY(loopRan);
        const view2d::FileRect rect = view2d::ShownFileRect(Frame().View().Window, Frame().Image());
        QCOMPARE(dialogMaximum, int(rect.Height));
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        QVERIFY(!QFileInfo::exists(path));
        QCOMPARE(FolderEntries(h_->Path(".")).filter("full"), QStringList());
        QVERIFY(!Frame().findChild<QProgressDialog*>());
        QVERIFY(Frame().AcceptsDrops());

        // Not cancelled: the whole picture.
        Save(path, true);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        QCOMPARE(QImage(path).size(), QSize(int(rect.Width), int(rect.Height)));
    }

    // While a save at file resolution reads the level buffer nothing may open another file:
    // not File > Open or its key, Open Recent, the command line's open or a drop. The save
    // then writes the picture of the file it started with.
    void noFileOpensWhileASaveAtFileResolutionRuns() {
        TiffLayout other;
        other.width = 64;
        other.height = 64;
        const QString otherPath = h_->Write("other.tif", other, 0x1000);
        h_->Open(otherPath); // on the recent list
        const QString relief = OpenRelief(4000, 3000);
        const view2d::FileRect rect = view2d::ShownFileRect(Frame().View().Window, Frame().Image());
        const QString path = h_->Path("full.png");
        bool tried = false;
        QTimer::singleShot(0, &Frame(), [&] {
            tried = true;
            QVERIFY(Frame().Busy());
            QVERIFY(!h_->form->Command("openAction")->isEnabled());
            QVERIFY(!h_->form->Command("saveViewAction")->isEnabled());
            h_->answer = otherPath;
            h_->form->Command("openAction")->trigger();
            QTest::keyClick(&Frame(), Qt::Key_O, Qt::ControlModifier);
            h_->form->OpenFile(otherPath);
            h_->form->OpenRecentFile(otherPath);
            Frame().DropFile(otherPath, QPoint(100, 300));
            h_->answer.clear();
            QVERIFY(!Frame().OpenInProgress());
            QCOMPARE(Frame().ShownFile(), relief);
        });
        Save(path, true);
        QVERIFY(tried);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        QCOMPARE(Frame().ShownFile(), relief);
        const QImage saved(path);
        QCOMPARE(saved.size(), QSize(int(rect.Width), int(rect.Height)));
        for (int y : {0, 1500, int(rect.Height) - 1})
            for (int x : {0, 2000, int(rect.Width) - 1}) {
                const int level =
                    int(Sample(std::uint32_t(rect.Column + x), std::uint32_t(rect.Row + y)) >> 8);
                QCOMPARE(saved.pixel(x, y), qRgb(level, level, level));
            }
        QVERIFY(h_->form->Command("openAction")->isEnabled());
    }

    // Where the file was thinned the save reads the shown file's own samples: a file renamed
    // over its path meanwhile is not what is saved, and pixels that cannot be read are said.
    void fileResolutionSaveReadsTheShownFileAndReportsLostPixels() {
        TiffLayout layout;
        layout.width = 33000;
        layout.height = 400;
        layout.bitsPerSample = 8;
        layout.rowsPerStrip = 100;
        const QString tiff = h_->Write("wide.tif", layout, [](std::uint32_t x, std::uint32_t y) {
            return (x * 7 + y * 3) & 0xFF;
        });
        h_->Open(tiff);
        QCOMPARE(Frame().Image().ColumnStep, 2);
        for (int i = 0; i < 16; ++i)
            SendWheel(&Frame(), 120);
        const view2d::FileRect rect = view2d::ShownFileRect(Frame().View().Window, Frame().Image());
        // Another file takes the path: the one shown is still the one saved.
        const QString impostor = h_->Write("impostor.tif", layout, 0);
        QVERIFY(QFile::remove(tiff));
        QVERIFY(QFile::rename(impostor, tiff));
        const QString path = h_->Path("wide.png");
        Save(path, true);
        QVERIFY2(h_->messages.isEmpty(), qPrintable(h_->messages.join('|')));
        const QImage saved(path);
        QCOMPARE(saved.size(), QSize(int(rect.Width), int(rect.Height)));
        for (int x : {1, 3, int(rect.Width) - 1}) {
            const int level =
                int((std::uint32_t(rect.Column + x) * 7 + std::uint32_t(rect.Row) * 3) & 0xFF);
            QCOMPARE(saved.pixel(x, 0), qRgb(level, level, level));
        }

        // Rows 100 to 199 lie past the end of the file.
        QByteArray bytes = orvane::test::TiffBytes(
            layout, [](std::uint32_t x, std::uint32_t y, int) { return (x * 7 + y * 3) & 0xFF; });
        QVERIFY(orvane::test::surgery::SetTagValue(bytes, TIFFTAG_STRIPOFFSETS, 1,
                                                   std::uint32_t(bytes.size() + 10)));
        QFile broken(h_->Path("broken.tif"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(bytes);
        broken.close();
        h_->Open(broken.fileName());
        QCOMPARE(h_->messages.size(), 1); // the open's lost rows
        h_->messages.clear();
        const view2d::FileRect whole =
            view2d::ShownFileRect(Frame().View().Window, Frame().Image());
        QVERIFY(whole.Row <= 100 && whole.Row + whole.Height >= 200);
        const view2d::PictureSize size = view2d::ExportSize(whole);
        std::int64_t lostRows = 0;
        for (int y = 0; y < size.Height; ++y) {
            const std::int64_t row = view2d::ExportSource(y, size.Height, whole.Row, whole.Height);
            lostRows += row >= 100 && row < 200 ? 1 : 0;
        }
        Save(path, true);
        QCOMPARE(h_->messages.size(), 1);
        QVERIFY2(h_->messages[0].contains(QStringLiteral("%1 of its %2 pixels")
                                              .arg(lostRows * size.Width)
                                              .arg(std::int64_t(size.Width) * size.Height)),
                 qPrintable(h_->messages[0]));
        QVERIFY(h_->messages[0].contains("could not be read from \"broken.tif\""));
        const QImage withLoss(path);
        QCOMPARE(withLoss.pixel(5, int(150 * size.Height / whole.Height)), qRgb(0, 0, 0));
    }

    void aFailedSaveSaysWhichFileAndLeavesNothing() {
        OpenRelief();
        // A folder that cannot be made: its parent is a file.
        QFile blocker(h_->Path("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString nowhere = h_->Path("blocker/view.png");
        Save(nowhere);
        QCOMPARE(h_->messages.size(), 1);
        QCOMPARE(h_->messageKinds[0], image::MessageKind::Error);
        QVERIFY2(h_->messages[0].startsWith("Could not save the view to \"" +
                                            QDir::toNativeSeparators(nowhere) + "\": "),
                 qPrintable(h_->messages[0]));
        h_->messages.clear();

        // A name of no picture format.
        Save(h_->Path("view.bmp"));
        QCOMPARE(h_->messages.size(), 1);
        QVERIFY(h_->messages[0].contains("view.bmp"));
        QVERIFY(!QFile::exists(h_->Path("view.bmp")));
        h_->messages.clear();

        // A disk that fills up: the file already there keeps its content, and no temporary
        // file is left beside it.
        QVERIFY(QDir(h_->dir.path()).mkpath("out"));
        const QString target = h_->Path("out/view.png");
        QFile old(target);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        {
            FileSizeLimit full(1024);
            Save(target);
        }
        QCOMPARE(h_->messages.size(), 1);
        QVERIFY2(h_->messages[0].contains(QDir::toNativeSeparators(target)),
                 qPrintable(h_->messages[0]));
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
        old.close();
        QCOMPARE(FolderEntries(h_->Path("out")), QStringList({"view.png"}));

        // And a folder without write permission, where permissions bind (not for root).
        if (geteuid() != 0) {
            QVERIFY(QDir(h_->dir.path()).mkpath("locked"));
            QFile::setPermissions(h_->Path("locked"), QFile::ReadOwner | QFile::ExeOwner);
            h_->messages.clear();
            Save(h_->Path("locked/view.png"));
            QCOMPARE(h_->messages.size(), 1);
            QVERIFY(FolderEntries(h_->Path("locked")).isEmpty());
            QFile::setPermissions(h_->Path("locked"),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void theSaveDialogStartsInTheLastFolderUsed() {
        OpenRelief();
        QVERIFY(QDir(h_->dir.path()).mkpath("out"));
        Save(h_->Path("out/first.png"));
        Save(h_->Path("out/second.png"));
        QCOMPARE(askedName_, h_->Path("out/relief-view.png"));
        MainWindow next; // and at the next start
        QCOMPARE(QFileInfo(next.Frame().ViewSaveDialog().FileName).absolutePath(), h_->Path("out"));
    }

    void nothingToSaveBeforeAnImage() {
        QVERIFY(!h_->form->Command("saveViewAction")->isEnabled());
        QVERIFY(!h_->form->Command("copyViewAction")->isEnabled());
        QVERIFY(Frame().ShownPicture().isNull());
    }
};

QTEST_MAIN(FrameSaveViewTest)
#include "FrameSaveViewTest.moc"
