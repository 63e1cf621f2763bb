#include "tools/Snapshot.h"

#include "app/HistogramChart.h"
#include "app/ImageFrame.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "app/PaintBox.h"
#include "view3d/gl/SceneViewer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QThread>
#include <QToolButton>
#include <QWheelEvent>
#include <cstdio>

namespace orvane::tools {

using app::TForm1;
using app::TTarsunFrame;

namespace {

bool ParseInt(const QString& text, int& out) {
    bool ok = false;
    out = text.toInt(&ok);
    return ok;
}

void ProcessEvents() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Makes the frame's client area exactly `size`, whatever the menu bar takes.
void SizeFrame(TForm1& form, const QSize& size) {
    for (int attempt = 0; attempt < 5 && form.FrameTarsun->size() != size; ++attempt) {
        const QSize extra = form.size() - form.FrameTarsun->size();
        form.resize(size + extra);
        ProcessEvents();
    }
}

void SendWheel(QWidget* target, int notches) {
    const int delta = notches > 0 ? 120 : -120;
    for (int i = 0; i < std::abs(notches); ++i) {
        const QPointF at(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
        ProcessEvents();
    }
}

void SendPress(QWidget* box, QPoint at) {
    const QPointF p(at);
    const QPointF global = box->mapToGlobal(p);
    QMouseEvent press(QEvent::MouseButtonPress, p, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, p, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(box, &release);
    QMouseEvent move(QEvent::MouseMove, p, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(box, &move);
    ProcessEvents();
}

// Waits until the 3D camera has stopped moving (a wheel's motion ends a moment after its
// last notch), so that what is reported and pictured is the view at rest.
void WaitForRest(const view3d::TGLSceneViewer* viewer) {
    QElapsedTimer clock;
    clock.start();
    while (viewer->Renderer().InMotion() && clock.elapsed() < 5000) {
        QThread::msleep(5);
        QApplication::processEvents();
    }
    ProcessEvents();
}

// Frame times of an orbit: each move's and one at rest after the release.
struct OrbitTimings {
    QList<double> motionFramesMs;
    std::optional<double> restFrameMs;
};

double TimedFrame(view3d::TGLSceneViewer* viewer) {
    QElapsedTimer clock;
    clock.start();
    viewer->RenderNow();
    return double(clock.nsecsElapsed()) / 1e6;
}

void SendViewerMouse(QWidget* viewer, QEvent::Type type, QPoint at, Qt::MouseButton button,
                     Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), viewer->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QApplication::sendEvent(viewer, &event);
}

// A left drag from the viewer's centre, `moves` steps of 8 pixels to the right, each frame
// drawn and finished before the next move; then the release and one frame at rest.
OrbitTimings Orbit(view3d::TGLSceneViewer* viewer, int moves) {
    OrbitTimings timings;
    if (moves <= 0 || !viewer->isVisible())
        return timings;
    viewer->RenderNow(); // the meshes built before the first timed frame
    const QPoint centre(viewer->width() / 2, viewer->height() / 2);
    SendViewerMouse(viewer, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    QPoint at = centre;
    for (int i = 0; i < moves; ++i) {
        at += QPoint(8, 0);
        SendViewerMouse(viewer, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        timings.motionFramesMs << TimedFrame(viewer);
    }
    SendViewerMouse(viewer, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    timings.restFrameMs = TimedFrame(viewer);
    return timings;
}

QJsonValue Milliseconds(double ms) {
    return ms < 0 ? QJsonValue() : QJsonValue(ms);
}

QJsonObject TimingsReport(const app::OpenTimings& open, const OrbitTimings& orbit) {
    QJsonArray motion;
    for (double ms : orbit.motionFramesMs)
        motion.append(ms);
    return QJsonObject{{"open_ms", Milliseconds(open.OpenMs)},
                       {"read_ms", Milliseconds(open.ReadMs)},
                       {"motion_frames_ms", motion},
                       {"rest_frame_ms", Milliseconds(orbit.restFrameMs.value_or(-1))}};
}

QJsonObject Report(const SnapshotOptions& options, const TTarsunFrame& f,
                   const QStringList& messages, const QList<int>& progress) {
    const app::FrameComponents& c = f.Components();
    const image::ImageModel& m = f.Image();
    QJsonObject labels{
        {"File", c.FileLabel->text()}, {"Res", c.ResLabel->text()},
        {"Size", c.SizeLabel->text()}, {"Bigtiff", c.BigtiffLabel->isVisibleTo(c.InfoGroupBox)},
        {"X", c.XLabel->text()},       {"Y", c.YLabel->text()},
        {"Z", c.ZLabel->text()}};
    QJsonObject model{{"ImageWidth", double(m.ImageWidth)},
                      {"ImageHeight", double(m.ImageHeight)},
                      {"ColumnStep", double(m.ColumnStep)},
                      {"RowStep", double(m.RowStep)},
                      {"SpanWidth", double(m.SpanWidth)},
                      {"SpanHeight", double(m.SpanHeight)},
                      {"Resolution", double(m.Resolution)},
                      {"ZMin", m.ZMin},
                      {"ZMax", m.ZMax},
                      {"BitsPerSample", int(m.BitsPerSample)},
                      {"Photometric", int(m.Photometric)}};
    QJsonObject texts{{"ScannerSoftware", m.ScannerSoftware},
                      {"ScannerModel", m.ScannerModel},
                      {"AcquisitionDate", m.AcquisitionDate},
                      {"AcquisitionSetup", m.AcquisitionSetup},
                      {"AcquisitionInfo", m.AcquisitionInfo}};
    QJsonValue levels;
    if (m.HasImage()) {
        const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(m.Levels()),
                                                         qsizetype(m.LevelCount()));
        levels = QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
    QJsonArray progressArray;
    for (int p : progress)
        progressArray.append(p);
    QJsonArray messageArray;
    for (const QString& m : messages)
        messageArray.append(m);

    const bool opened = m.HasImage();
    QJsonValue view, histogram, marker, scene;
    if (opened) {
        const QRect box = c.PaintBox1->geometry();
        const view2d::ViewWindow& w = f.View().Window;
        view = QJsonObject{{"ViewWidth", w.ViewWidth},
                           {"ViewHeight", w.ViewHeight},
                           {"ViewOffsetX", w.ViewOffsetX},
                           {"ViewOffsetY", w.ViewOffsetY},
                           {"box", QJsonArray{box.x(), box.y(), box.width(), box.height()}}};
        const view3d::TGLScene& s = f.Scene();
        const auto& field = s.HeightField1;
        auto triple = [](const view3d::TVector4f& v) {
            return QJsonArray{double(v[0]), double(v[1]), double(v[2])};
        };
        scene = QJsonObject{{"xrange", QJsonArray{double(field.XSamplingScale.Min()),
                                                  double(field.XSamplingScale.Max())}},
                            {"yrange", QJsonArray{double(field.YSamplingScale.Min()),
                                                  double(field.YSamplingScale.Max())}},
                            {"xstep", double(field.XSamplingScale.Step())},
                            {"ystep", double(field.YSamplingScale.Step())},
                            {"zscale", double(field.Scale.Z())},
                            {"camera", triple(s.GLCamera1.AbsolutePosition())},
                            {"target", triple(s.GLDummyCube1.AbsolutePosition())},
                            {"constAttenuation", double(s.GLLightSource1.ConstAttenuation())},
                            {"texture", !field.Material.Texture.Disabled()}};
    }
    QJsonValue info;
    if (c.InfoPanel->isVisibleTo(&f)) {
        QJsonArray lines;
        for (const QString& line : c.InfoMemo->toPlainText().split(QLatin1Char('\n')))
            lines.append(line);
        const QRect g = c.InfoPanel->geometry();
        info = QJsonObject{{"lines", lines},
                           {"panel", QJsonArray{g.x(), g.y(), g.width(), g.height()}}};
    }
    const QList<double> bars = c.Isto->BarHeights();
    if (!bars.isEmpty()) {
        QJsonArray heights;
        for (double h : bars)
            heights.append(h);
        histogram = heights;
    }
    const QList<QPointF> markerPoints = c.Isto->MarkerPoints();
    if (markerPoints.size() == 3)
        marker = markerPoints[1].x();

    QJsonObject report{{"file", QFileInfo(options.tiff).fileName()},
                       {"opened", opened},
                       {"messages", messageArray},
                       {"labels", labels},
                       {"model", model},
                       {"texts", texts},
                       {"levels_sha256", levels},
                       {"progress", progressArray},
                       {"view", view},
                       {"histogram", histogram},
                       {"marker", marker},
                       {"scene", scene},
                       {"info", info}};
    return report;
}

} // namespace

std::optional<QString> ParseSnapshotArguments(const QStringList& args, SnapshotOptions& o) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&](QString& out) -> bool {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        QString v;
        if (a == "--3d") {
            o.view3d = true;
        } else if (a == "--info") {
            o.info = true;
        } else if (a == "--no-timings") {
            o.timings = false;
        } else if (a == "--orbit") {
            int n = 0;
            if (!value(v) || !ParseInt(v, n) || n < 0)
                return QStringLiteral("--orbit needs a number of moves");
            o.orbit = n;
        } else if (a == "--size") {
            const QStringList wh = value(v) ? v.split('x') : QStringList();
            int w = 0, h = 0;
            if (wh.size() != 2 || !ParseInt(wh[0], w) || !ParseInt(wh[1], h) || w < 1 || h < 1)
                return QStringLiteral("--size needs WxH");
            o.size = QSize(w, h);
        } else if (a == "--wheel") {
            int n = 0;
            if (!value(v) || !ParseInt(v, n))
                return QStringLiteral("--wheel needs a whole number");
            o.wheel = n;
        } else if (a == "--resolution" || a == "--zdepth") {
            int n = 0;
            if (!value(v) || !ParseInt(v, n))
                return a + QStringLiteral(" needs a whole number");
            (a == "--resolution" ? o.resolution : o.zdepth) = n;
        } else if (a == "--texture") {
            if (!value(o.texture))
                return QStringLiteral("--texture needs a picture file");
        } else if (a == "--press") {
            const QStringList xy = value(v) ? v.split(',') : QStringList();
            int x = 0, y = 0;
            if (xy.size() != 2 || !ParseInt(xy[0], x) || !ParseInt(xy[1], y))
                return QStringLiteral("--press needs X,Y");
            o.press = QPoint(x, y);
        } else if (a == "--png") {
            if (!value(o.png))
                return QStringLiteral("--png needs a file name");
        } else if (a == "--json") {
            if (!value(o.json))
                return QStringLiteral("--json needs a file name or -");
        } else if (a.startsWith("--")) {
            return QStringLiteral("unknown option ") + a;
        } else if (o.tiff.isEmpty()) {
            o.tiff = a;
        } else {
            return QStringLiteral("only one TIFF file can be given");
        }
    }
    if (o.tiff.isEmpty())
        return QStringLiteral("no TIFF file given");
    return std::nullopt;
}

int RunSnapshot(const SnapshotOptions& options) {
    QStringList messages;
    app::SetMessageRecorder(
        [&messages](app::MessageKind, const QString& text) { messages << text; });
    QList<int> progress;
    QString nextDialogAnswer;
    app::TOpenDialog::SetAnswer([&nextDialogAnswer](const app::TOpenDialog&) {
        return std::optional<QString>(nextDialogAnswer);
    });

    TForm1 form;
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    ProcessEvents();
    SizeFrame(form, options.size);
    TTarsunFrame& frame = *form.FrameTarsun;
    QObject::connect(&frame, &TTarsunFrame::ProgressShown, &frame,
                     [&progress](int percent) { progress << percent; });

    nextDialogAnswer = QFileInfo(options.tiff).absoluteFilePath();
    form.Open1->trigger();
    ProcessEvents();

    const app::FrameComponents& c = frame.Components();
    if (options.view3d)
        c.SB3D->click();
    SendWheel(&frame, options.wheel);
    if (options.resolution)
        c.TrackBarRes->setValue(*options.resolution);
    if (options.zdepth)
        c.TrackBarZ->setValue(*options.zdepth);
    if (!options.texture.isEmpty()) {
        nextDialogAnswer = QFileInfo(options.texture).absoluteFilePath();
        form.LoadTexture1->trigger();
    }
    if (options.info)
        form.IFFInfo1->trigger();
    if (options.press)
        SendPress(c.PaintBox1, *options.press);
    ProcessEvents();
    WaitForRest(c.SceneViewer1);
    const OrbitTimings orbit = Orbit(c.SceneViewer1, options.orbit);
    WaitForRest(c.SceneViewer1);

    int status = 0;
    if (!options.png.isEmpty() && !frame.grab().save(options.png, "PNG")) {
        std::fprintf(stderr, "orvane-snapshot: cannot write %s\n", qPrintable(options.png));
        status = 1;
    }
    if (!options.json.isEmpty()) {
        QJsonObject report = Report(options, frame, messages, progress);
        if (options.timings)
            report.insert("timings", TimingsReport(frame.LastOpenTimings(), orbit));
        const QByteArray json = QJsonDocument(report).toJson(QJsonDocument::Indented);
        if (options.json == "-") {
            std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        } else {
            QFile out(options.json);
            if (!out.open(QIODevice::WriteOnly) || out.write(json) != json.size()) {
                std::fprintf(stderr, "orvane-snapshot: cannot write %s\n",
                             qPrintable(options.json));
                status = 1;
            }
        }
    }
    app::SetMessageRecorder({});
    app::TOpenDialog::SetAnswer({});
    return status;
}

} // namespace orvane::tools
