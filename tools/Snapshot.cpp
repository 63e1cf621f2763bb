#include "tools/Snapshot.h"

#include "app/ColourBar.h"
#include "app/ColourRangeDialog.h"
#include "app/HistogramChart.h"
#include "app/ImageBox.h"
#include "app/ImageFrame.h"
#include "app/MainWindow.h"
#include "app/Messages.h"
#include "app/ProfilePanel.h"
#include "app/ResultsPanel.h"
#include "app/SaveViewDialog.h"
#include "app/Settings.h"
#include "app/WholeFile.h"
#include "panels/ColourMaps.h"
#include "view2d/ExactReadout.h"
#include "view3d/gl/SceneViewer.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>
#include <QWheelEvent>
#include <array>
#include <cmath>
#include <cstdio>

namespace orvane::tools {

using app::ImageFrame;
using app::MainWindow;

namespace {

bool ParseInt(const QString& text, int& out) {
    bool ok = false;
    out = text.toInt(&ok);
    return ok;
}

// "X,Y" or "X1,Y1,X2,Y2": exactly `count` whole numbers.
bool ParseInts(const QString& text, int count, QList<int>& out) {
    const QStringList parts = text.split(QLatin1Char(','));
    out.clear();
    for (const QString& part : parts) {
        int n = 0;
        if (!ParseInt(part, n))
            return false;
        out << n;
    }
    return out.size() == count;
}

void ProcessEvents() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// Makes the frame's client area exactly `size`, whatever the menu bar takes.
void SizeFrame(MainWindow& form, const QSize& size) {
    for (int attempt = 0; attempt < 5 && form.Frame().size() != size; ++attempt) {
        const QSize extra = form.size() - form.Frame().size();
        form.resize(size + extra);
        ProcessEvents();
    }
}

// `notches` wheel notches at `at` of the target, its centre by default.
void SendWheel(QWidget* target, int notches, std::optional<QPoint> at = std::nullopt,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const int delta = notches > 0 ? 120 : -120;
    for (int i = 0; i < std::abs(notches); ++i) {
        const QPointF where =
            at ? QPointF(*at) : QPointF(target->width() / 2.0, target->height() / 2.0);
        QWheelEvent event(where, target->mapToGlobal(where), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &event);
        ProcessEvents();
    }
}

void SendMouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
               Qt::MouseButtons held, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held, modifiers);
    QApplication::sendEvent(target, &event);
}

// A left click at box pixel `at`, then a pointer move there.
void SendPress(QWidget* box, QPoint at) {
    SendMouse(box, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    SendMouse(box, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    SendMouse(box, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton);
    ProcessEvents();
}

// A key over the focused frame: a command's shortcut triggers the command, as the shortcut
// map would; any other key goes to the frame.
void PressKey(ImageFrame& frame, const QKeySequence& key) {
    for (QAction* action : frame.actions()) {
        if (action->shortcuts().contains(key)) {
            if (action->isEnabled())
                action->trigger();
            ProcessEvents();
            return;
        }
    }
    const QKeyCombination combination = key[0];
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QApplication::sendEvent(&frame, &press);
    QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers());
    QApplication::sendEvent(&frame, &release);
    ProcessEvents();
}

// The lookups and profiles run off the window's thread: wait for them.
void WaitForExactWork(const ImageFrame& frame) {
    // Up to ten minutes: levelling a large file reads all of it three times.
    for (int i = 0; i < 120000 && frame.ExactWorkPending(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    ProcessEvents();
}

// Waits until the 3D camera has stopped moving (a wheel's motion ends a moment after its
// last notch), so that what is reported and pictured is the view at rest.
void WaitForRest(const view3d::SceneViewer* viewer) {
    QElapsedTimer clock;
    clock.start();
    while (viewer->Renderer().InMotion() && clock.elapsed() < 5000) {
        QThread::msleep(5);
        QApplication::processEvents();
    }
    ProcessEvents();
}

QJsonValue Nullable(const std::optional<double>& value) {
    return value ? QJsonValue(*value) : QJsonValue();
}

QString SampleFormatName(image::SampleKind kind) {
    switch (kind) {
    case image::SampleKind::Signed:
        return QStringLiteral("signed");
    case image::SampleKind::Float:
        return QStringLiteral("float");
    case image::SampleKind::Unsigned:
        break;
    }
    return QStringLiteral("unsigned");
}

// The declared no-data value: a number, "nan", or null.
QJsonValue NoDataReport(const image::ImageModel& m) {
    if (m.NoDataText.isEmpty())
        return QJsonValue();
    const auto declared = image::ParseNoDataText(m.NoDataText.toStdString());
    if (!declared)
        return QJsonValue();
    if (declared->IsNan)
        return QStringLiteral("nan");
    return std::isfinite(declared->Value) ? QJsonValue(declared->Value) : QJsonValue();
}

// "mm" for heights from a sample-value range, a file's own unit for its values, else null.
QJsonValue HeightUnitReport(const image::ImageModel& m) {
    if (!m.LevelsFromValues)
        return m.ZMin != m.ZMax ? QJsonValue(QStringLiteral("mm")) : QJsonValue();
    return m.HeightUnit.isEmpty() ? QJsonValue() : QJsonValue(m.HeightUnit);
}

// The pixel's size in the unit the file gives it.
QJsonValue PixelSizeReport(const image::ImageModel& m) {
    if (m.GeoPixel) {
        const image::GeoUnit& unit = m.GeoPixel->Unit;
        if (unit.Kind != image::UnitKind::Metre && unit.Kind != image::UnitKind::Degree)
            return QJsonValue();
        return QJsonObject{{"x", m.GeoPixel->X},
                           {"y", m.GeoPixel->Y},
                           {"unit", unit.Kind == image::UnitKind::Metre ? "m" : "deg"}};
    }
    if (!image::ResolutionKnown(m.Resolution))
        return QJsonValue();
    const double mm = image::MillimetresPerPixel(m.Resolution);
    return QJsonObject{{"x", mm}, {"y", mm}, {"unit", "mm"}};
}

// The exact sample of the last pointer position.
QJsonValue ExactReport(const ImageFrame& f) {
    const app::ExactReadoutState& r = f.ExactReadout();
    if (!f.Image().HasImage() || !r.overImage)
        return QJsonValue();
    const image::ImageModel& m = f.Image();
    const bool value = r.sample.state == view2d::ExactSample::State::Value;
    const bool noData = r.sample.state == view2d::ExactSample::State::NoData;
    std::optional<double> height;
    if (value)
        height = view2d::ExactHeightMm(r.sample.sample, m, m.Photometric == 0);
    // The stored value as the file holds it (a declared no-data value too); NaN and the
    // infinities have no JSON number.
    const bool stored = (value || noData) && std::isfinite(r.sample.sample);
    const std::optional<double> levelled = f.LevelledReadout();
    const bool levelledMm = levelled && f.Levelled() && f.Levelled()->Millimetres;
    return QJsonObject{{"column", double(r.pixel.Column)},
                       {"row", double(r.pixel.Row)},
                       {"sample", stored ? QJsonValue(r.sample.sample) : QJsonValue()},
                       {"height_mm", Nullable(height)},
                       {"levelled_mm", levelledMm ? QJsonValue(*levelled) : QJsonValue()},
                       {"no_data", noData}};
}

QString LevelKindName(measure::FormKind kind) {
    switch (kind) {
    case measure::FormKind::Plane:
        return QStringLiteral("plane");
    case measure::FormKind::ThreePoints:
        return QStringLiteral("points");
    case measure::FormKind::Poly2:
        return QStringLiteral("poly2");
    case measure::FormKind::Poly3:
        return QStringLiteral("poly3");
    case measure::FormKind::None:
        break;
    }
    return QStringLiteral("none");
}

// The levelling in force: its form's coefficients over file pixels and the residual's rms, in mm
// where the file gives heights, else in stored values.
QJsonValue LevelReport(const ImageFrame& f) {
    const std::optional<measure::Levelling>& l = f.Levelled();
    QJsonObject report{{"kind", LevelKindName(l ? f.LevellingKind() : measure::FormKind::None)}};
    if (!l) {
        report.insert("coefficients", QJsonValue());
        report.insert("residual_sq", QJsonValue());
        report.insert("unit", QJsonValue());
        return report;
    }
    QJsonArray coefficients;
    for (double c : l->Form.PixelCoefficients())
        coefficients.append(c);
    report.insert("coefficients", coefficients);
    report.insert("residual_sq", l->ResidualRms);
    report.insert("unit", l->Millimetres ? QJsonValue(QStringLiteral("mm")) : QJsonValue());
    return report;
}

QJsonValue ArealReport(const ImageFrame& f) {
    const std::optional<measure::ArealOutcome>& a = f.Areal();
    if (!a)
        return QJsonValue();
    const measure::PixelRect& r = a->Rect;
    QJsonObject report{{"from", QJsonArray{double(r.Column1), double(r.Row1)}},
                       {"to", QJsonArray{double(r.Column2), double(r.Row2)}},
                       {"area_mm2", Nullable(a->AreaMm2)},
                       {"unit", a->Millimetres ? QJsonValue(QStringLiteral("mm")) : QJsonValue()}};
    const std::optional<measure::ArealFigures>& fig = a->Figures;
    auto put = [&report, &fig](const char* name, double measure::ArealFigures::*field) {
        report.insert(QLatin1String(name), fig ? QJsonValue(*fig.*field) : QJsonValue());
    };
    put("sa", &measure::ArealFigures::Sa);
    put("sq", &measure::ArealFigures::Sq);
    put("sp", &measure::ArealFigures::Sp);
    put("sv", &measure::ArealFigures::Sv);
    put("sz", &measure::ArealFigures::Sz);
    put("ssk", &measure::ArealFigures::Ssk);
    put("sku", &measure::ArealFigures::Sku);
    put("mean", &measure::ArealFigures::Mean);
    put("min", &measure::ArealFigures::Min);
    put("max", &measure::ArealFigures::Max);
    report.insert("valid", fig ? double(fig->Valid) : 0.0);
    report.insert("no_data", double(r.Width() * r.Height() - (fig ? fig->Valid : 0)));
    return report;
}

QJsonValue RoughnessReport(const ImageFrame& f) {
    const auto& shown = f.Components().profilePanel->ShownRoughness();
    if (!shown || !shown->Figures)
        return QJsonValue();
    const measure::RoughnessFigures& r = *shown->Figures;
    return QJsonObject{{"lambda_c_mm", r.LambdaCMm},
                       {"automatic", r.Automatic},
                       {"ra", r.Ra},
                       {"rq", r.Rq},
                       {"rz", Nullable(r.Rz)},
                       {"rz_lengths", r.RzLengths},
                       {"rt", r.Rt},
                       {"rsk", r.Rsk},
                       {"rku", r.Rku},
                       {"rp", Nullable(r.Rp)},
                       {"rv", Nullable(r.Rv)}};
}

// The measuring line's profile as the panel shows it, every point.
QJsonValue ProfileReport(const ImageFrame& f) {
    const auto& shown = f.Components().profilePanel->Shown();
    if (!f.Measuring().shown || !shown)
        return QJsonValue();
    const view2d::Profile& p = *shown;
    const view2d::ProfileLine& l = f.Measuring().line;
    QJsonArray points;
    for (const view2d::ProfilePoint& point : p.Points)
        points.append(QJsonArray{point.DistancePx, double(point.Column), double(point.Row),
                                 point.Sample ? QJsonValue(double(*point.Sample)) : QJsonValue(),
                                 Nullable(point.Value)});
    const view2d::ProfileStatistics& s = p.Statistics;
    return QJsonObject{{"from", QJsonArray{double(l.Column1), double(l.Row1)}},
                       {"to", QJsonArray{double(l.Column2), double(l.Row2)}},
                       {"length_px", p.LengthPx},
                       {"length_mm", Nullable(p.LengthMm)},
                       {"dx_mm", Nullable(p.DxMm)},
                       {"dy_mm", Nullable(p.DyMm)},
                       {"dz_mm", Nullable(p.Dz)},
                       {"slope_deg", Nullable(p.SlopeDeg)},
                       {"min", Nullable(s.Min)},
                       {"max", Nullable(s.Max)},
                       {"mean", Nullable(s.Mean)},
                       {"ra", Nullable(s.Ra)},
                       {"rq", Nullable(s.Rq)},
                       {"missing", double(s.MissingPoints)},
                       {"width", p.Width},
                       {"roughness", RoughnessReport(f)},
                       {"points", points}};
}

// Frame times of an orbit: each move's and one at rest after the release.
struct OrbitTimings {
    QList<double> motionFramesMs;
    std::optional<double> restFrameMs;
};

double TimedFrame(view3d::SceneViewer* viewer) {
    QElapsedTimer clock;
    clock.start();
    viewer->RenderNow();
    return double(clock.nsecsElapsed()) / 1e6;
}

// A left drag from the viewer's centre, `moves` steps of 8 pixels to the right, each frame
// drawn and finished before the next move; then the release and one frame at rest.
OrbitTimings Orbit(view3d::SceneViewer* viewer, int moves) {
    OrbitTimings timings;
    if (moves <= 0 || !viewer->isVisible())
        return timings;
    viewer->RenderNow(); // the meshes built before the first timed frame
    const QPoint centre(viewer->width() / 2, viewer->height() / 2);
    SendMouse(viewer, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    QPoint at = centre;
    for (int i = 0; i < moves; ++i) {
        at += QPoint(8, 0);
        SendMouse(viewer, QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton);
        timings.motionFramesMs << TimedFrame(viewer);
    }
    SendMouse(viewer, QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
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

QJsonObject Report(const SnapshotOptions& options, const ImageFrame& f, const QStringList& messages,
                   const QList<int>& progress, const QString& hint) {
    const app::FrameComponents& c = f.Components();
    const image::ImageModel& m = f.Image();
    QJsonObject labels{
        {"File", c.fileLabel->text()}, {"Res", c.resolutionLabel->text()},
        {"Size", c.sizeLabel->text()}, {"Bigtiff", c.bigTiffLabel->isVisibleTo(c.infoGroup)},
        {"X", c.xLabel->text()},       {"Y", c.yLabel->text()},
        {"Z", c.zLabel->text()}};
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
                      {"Photometric", int(m.Photometric)},
                      {"SampleFormat", SampleFormatName(m.Samples.kind)},
                      {"DataMin", Nullable(m.DataMin)},
                      {"DataMax", Nullable(m.DataMax)},
                      {"NoData", NoDataReport(m)},
                      {"HeightUnit", HeightUnitReport(m)},
                      {"PixelSize", PixelSizeReport(m)}};
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
        const QRect box = c.imageBox->geometry();
        const view2d::ViewWindow& w = f.View().Window;
        view = QJsonObject{{"ViewWidth", w.ViewWidth},
                           {"ViewHeight", w.ViewHeight},
                           {"ViewOffsetX", w.ViewOffsetX},
                           {"ViewOffsetY", w.ViewOffsetY},
                           {"full_resolution", f.FullResolutionShown()},
                           {"box", QJsonArray{box.x(), box.y(), box.width(), box.height()}}};
        const view3d::Scene& s = f.Scene();
        const auto& field = s.heightField;
        auto triple = [](const view3d::Vector4f& v) {
            return QJsonArray{double(v[0]), double(v[1]), double(v[2])};
        };
        scene = QJsonObject{{"xrange", QJsonArray{double(field.xSamplingScale.Min()),
                                                  double(field.xSamplingScale.Max())}},
                            {"yrange", QJsonArray{double(field.ySamplingScale.Min()),
                                                  double(field.ySamplingScale.Max())}},
                            {"xstep", double(field.xSamplingScale.Step())},
                            {"ystep", double(field.ySamplingScale.Step())},
                            {"zscale", double(field.scale.Z())},
                            {"camera", triple(s.camera.AbsolutePosition())},
                            {"target", triple(s.cameraTarget.AbsolutePosition())},
                            {"constAttenuation", double(s.obliqueLight.ConstAttenuation())},
                            {"texture", !field.material.texture.Disabled()}};
    }
    QJsonValue info;
    if (c.infoPanel->isVisibleTo(&f)) {
        QJsonArray lines;
        for (const QString& line : c.infoText->toPlainText().split(QLatin1Char('\n')))
            lines.append(line);
        const QRect g = c.infoPanel->geometry();
        info = QJsonObject{{"lines", lines},
                           {"panel", QJsonArray{g.x(), g.y(), g.width(), g.height()}}};
    }
    QJsonValue colourBar;
    if (c.colourBarPanel->isVisibleTo(&f)) {
        QJsonArray ticks;
        for (const panels::ColourBarTick& tick : c.colourBar->Scale().Ticks)
            ticks.append(tick.Text);
        const QRect g = c.colourBarPanel->geometry();
        colourBar = QJsonObject{{"unit", c.colourBar->Scale().Unit},
                                {"ticks", ticks},
                                {"panel", QJsonArray{g.x(), g.y(), g.width(), g.height()}}};
    }
    const QList<double> bars = c.histogramChart->BarHeights();
    if (!bars.isEmpty()) {
        QJsonArray heights;
        for (double h : bars)
            heights.append(h);
        histogram = heights;
    }
    const QList<QPointF> markerPoints = c.histogramChart->MarkerPoints();
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
                       {"info", info},
                       {"palette", panels::PaletteName(f.Palette())},
                       {"colour_bar", colourBar}};
    QJsonValue colourRange;
    if (const auto range = f.ColourRangeShown())
        colourRange = QJsonObject{{"kind", measure::ColourRangeName(range->kind)},
                                  {"low", range->low},
                                  {"high", range->high}};
    report.insert(QStringLiteral("colour_range"), colourRange);
    QJsonValue scaleBar;
    if (const std::optional<view2d::ScaleBar> bar = f.ShownScaleBar())
        scaleBar =
            QJsonObject{{"length", bar->length}, {"unit", bar->unit}, {"pixels", bar->pixels}};
    report.insert(QStringLiteral("scale_bar"), scaleBar);
    // Measuring, after the fields above.
    if (options.pointer)
        report.insert(QStringLiteral("exact"), ExactReport(f));
    report.insert(QStringLiteral("status"), f.StatusText());
    report.insert(QStringLiteral("status_hint"), hint);
    if (options.profile)
        report.insert(QStringLiteral("profile"), ProfileReport(f));
    if (!options.level.isEmpty() || options.levelPoints)
        report.insert(QStringLiteral("level"), LevelReport(f));
    if (options.area)
        report.insert(QStringLiteral("areal"), ArealReport(f));
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
        } else if (a == "--colour-bar") {
            o.colourBar = true;
        } else if (a == "--scale-bar") {
            o.scaleBar = true;
        } else if (a == "--colour-range") {
            if (!value(v))
                return QStringLiteral("--colour-range needs full, data, auto or LOW,HIGH");
            if (v == "full" || v == "data" || v == "auto") {
                o.colourRange = measure::ColourRange{v == "full"   ? measure::ColourRangeKind::Full
                                                     : v == "data" ? measure::ColourRangeKind::Data
                                                                   : measure::ColourRangeKind::Auto,
                                                     0, 0};
            } else if (const auto manual = app::ParseManualRange(v)) {
                o.colourRange = *manual;
            } else {
                return QStringLiteral(
                    "--colour-range needs full, data, auto or LOW,HIGH with HIGH above LOW");
            }
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
        } else if (a == "--ctrl-wheel") {
            QList<int> n;
            if (!value(v) || !ParseInts(v, 3, n))
                return QStringLiteral("--ctrl-wheel needs X,Y,N");
            o.ctrlWheel = SnapshotOptions::CtrlWheel{QPoint(n[0], n[1]), n[2]};
        } else if (a == "--actual-pixels") {
            o.actualPixels = true;
        } else if (a == "--resolution" || a == "--zdepth") {
            int n = 0;
            if (!value(v) || !ParseInt(v, n))
                return a + QStringLiteral(" needs a whole number");
            (a == "--resolution" ? o.resolution : o.zdepth) = n;
        } else if (a == "--texture") {
            if (!value(o.texture))
                return QStringLiteral("--texture needs a picture file");
        } else if (a == "--palette") {
            if (!value(o.palette) || !panels::ParsePalette(o.palette))
                return QStringLiteral("--palette needs grey, viridis, cividis or terrain");
        } else if (a == "--save-view") {
            if (!value(o.saveView))
                return QStringLiteral("--save-view needs a file name");
        } else if (a == "--save-view-file-resolution") {
            o.saveViewFileResolution = true;
        } else if (a == "--press") {
            const QStringList xy = value(v) ? v.split(',') : QStringList();
            int x = 0, y = 0;
            if (xy.size() != 2 || !ParseInt(xy[0], x) || !ParseInt(xy[1], y))
                return QStringLiteral("--press needs X,Y");
            o.press = QPoint(x, y);
        } else if (a == "--keys") {
            if (!value(v))
                return QStringLiteral("--keys needs a list of keys");
            for (const QString& name : v.split(' ', Qt::SkipEmptyParts)) {
                const QKeySequence key(name, QKeySequence::PortableText);
                if (key.count() != 1 || key[0].key() == Qt::Key_unknown)
                    return QStringLiteral("--keys: unknown key %1").arg(name);
                o.keys << key;
            }
        } else if (a == "--pointer" || a == "--profile") {
            const bool pointer = a == "--pointer";
            QList<int> n;
            if (!value(v) || !ParseInts(v, pointer ? 2 : 4, n))
                return a + (pointer ? QStringLiteral(" needs X,Y")
                                    : QStringLiteral(" needs X1,Y1,X2,Y2"));
            if (pointer)
                o.pointer = QPoint(n[0], n[1]);
            else
                o.profile = QLine(n[0], n[1], n[2], n[3]);
        } else if (a == "--level") {
            if (!value(o.level) ||
                !QStringList{"none", "plane", "poly2", "poly3"}.contains(o.level))
                return QStringLiteral("--level needs none, plane, poly2 or poly3");
        } else if (a == "--level-points") {
            QList<int> n;
            if (!value(v) || !ParseInts(v, 6, n))
                return QStringLiteral("--level-points needs X1,Y1,X2,Y2,X3,Y3");
            o.levelPoints = QList<QPoint>{{n[0], n[1]}, {n[2], n[3]}, {n[4], n[5]}};
        } else if (a == "--area") {
            QList<int> n;
            if (!value(v) || !ParseInts(v, 4, n))
                return QStringLiteral("--area needs X1,Y1,X2,Y2");
            o.area = QLine(n[0], n[1], n[2], n[3]);
        } else if (a == "--profile-width") {
            int n = 0;
            if (!value(v) || !ParseInt(v, n) || n < 1 || n > app::ImageFrame::kMaxProfileWidthPx)
                return QStringLiteral("--profile-width needs a number of pixels from 1 to %1")
                    .arg(app::ImageFrame::kMaxProfileWidthPx);
            o.profileWidth = n;
        } else if (a == "--drag-end") {
            QList<int> n;
            if (!value(v) || !ParseInts(v, 4, n))
                return QStringLiteral("--drag-end needs X1,Y1,X2,Y2");
            o.dragEnd = QLine(n[0], n[1], n[2], n[3]);
        } else if (a == "--cutoff") {
            bool ok = false;
            const double mm = value(v) ? v.toDouble(&ok) : 0;
            if (!ok || !(mm >= 0) || !std::isfinite(mm))
                return QStringLiteral("--cutoff needs a length in mm (0: automatic)");
            o.cutoffMm = mm;
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
    if (o.saveViewFileResolution && o.saveView.isEmpty())
        return QStringLiteral("--save-view-file-resolution needs --save-view");
    return std::nullopt;
}

int RunSnapshot(const SnapshotOptions& options) {
    QStringList messages;
    app::SetMessageRecorder(
        [&messages](app::MessageKind, const QString& text) { messages << text; });
    QList<int> progress;
    QString nextDialogAnswer;
    app::OpenDialog::SetAnswer([&nextDialogAnswer](const app::OpenDialog&) {
        return std::optional<QString>(nextDialogAnswer);
    });

    // Settings of this run alone: a user's remembered choices never reach the report, and a
    // palette given here starts the window as a remembered choice would.
    QTemporaryDir settingsDir;
    app::UseSettingsFile(settingsDir.filePath(QStringLiteral("settings.ini")));
    if (!options.palette.isEmpty())
        app::WriteSetting(app::kPaletteSettingKey,
                          panels::PaletteName(*panels::ParsePalette(options.palette)));
    app::SaveViewDialog::SetAnswer([&options](const app::SaveViewDialog&) {
        return std::optional<app::SaveViewDialog::Choice>(
            {QFileInfo(options.saveView).absoluteFilePath(), options.saveViewFileResolution});
    });

    MainWindow form;
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    ProcessEvents();
    SizeFrame(form, options.size);
    ImageFrame& frame = form.Frame();
    QObject::connect(&frame, &ImageFrame::ProgressShown, &frame,
                     [&progress](int percent) { progress << percent; });

    nextDialogAnswer = QFileInfo(options.tiff).absoluteFilePath();
    form.ChooseAndOpenFile();
    while (frame.OpenInProgress()) // the read runs beside the event loop
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    ProcessEvents();

    const app::FrameComponents& c = frame.Components();
    // The levelling first: every measurement after it is levelled. The Results panel it shows
    // docks below the frame, which is then sized back.
    if (!options.level.isEmpty()) {
        const QString& l = options.level;
        frame.SetLevelling(l == "plane"   ? measure::FormKind::Plane
                           : l == "poly2" ? measure::FormKind::Poly2
                           : l == "poly3" ? measure::FormKind::Poly3
                                          : measure::FormKind::None);
        WaitForExactWork(frame);
        SizeFrame(form, options.size);
    }
    if (options.levelPoints) {
        std::array<image::FilePixel, 3> pixels;
        for (int i = 0; i < 3; ++i)
            pixels[std::size_t(i)] = frame.FilePixelAtBox((*options.levelPoints)[i]);
        frame.LevelThroughPixels(pixels);
        WaitForExactWork(frame);
        SizeFrame(form, options.size);
    }
    if (options.cutoffMm)
        frame.SetCutoffMm(*options.cutoffMm);
    if (options.colourRange) {
        frame.SetColourRange(*options.colourRange);
        WaitForExactWork(frame);
    }
    if (options.view3d)
        frame.ChooseView(true);
    SendWheel(&frame, options.wheel);
    if (options.actualPixels)
        frame.ShowActualPixels();
    if (options.ctrlWheel)
        // To the frame under the box pixel, where a user's wheel over the box arrives.
        SendWheel(&frame, options.ctrlWheel->notches, c.imageBox->pos() + options.ctrlWheel->at,
                  Qt::ControlModifier);
    if (options.resolution)
        frame.SetResolutionPosition(*options.resolution);
    if (options.zdepth)
        frame.SetZDepthPosition(*options.zdepth);
    if (!options.texture.isEmpty()) {
        nextDialogAnswer = QFileInfo(options.texture).absoluteFilePath();
        form.ChooseTexture();
    }
    if (options.info)
        form.ShowTiffInfo();
    if (options.colourBar)
        form.ShowColourBar(true);
    if (options.scaleBar)
        form.Command(QStringLiteral("scaleBarAction"))->setChecked(true);
    if (options.press)
        SendPress(c.imageBox, *options.press);
    for (const QKeySequence& key : options.keys)
        PressKey(frame, key);
    ProcessEvents();
    if (options.pointer) {
        SendMouse(c.imageBox, QEvent::MouseMove, *options.pointer, Qt::NoButton, Qt::NoButton);
        WaitForExactWork(frame);
    }
    if (options.profileWidth)
        frame.SetProfileWidth(options.profileWidth);
    if (options.profile) {
        const QLine& line = *options.profile;
        SendMouse(c.imageBox, QEvent::MouseButtonPress, line.p1(), Qt::RightButton,
                  Qt::RightButton);
        SendMouse(c.imageBox, QEvent::MouseMove, line.p2(), Qt::NoButton, Qt::RightButton);
        SendMouse(c.imageBox, QEvent::MouseButtonRelease, line.p2(), Qt::RightButton, Qt::NoButton);
        WaitForExactWork(frame);
        SizeFrame(form, options.size); // the profile's dock took height from the frame
    }
    if (options.dragEnd) {
        const QLine& drag = *options.dragEnd;
        SendMouse(c.imageBox, QEvent::MouseButtonPress, drag.p1(), Qt::LeftButton, Qt::LeftButton);
        SendMouse(c.imageBox, QEvent::MouseMove, drag.p2(), Qt::NoButton, Qt::LeftButton);
        SendMouse(c.imageBox, QEvent::MouseButtonRelease, drag.p2(), Qt::LeftButton, Qt::NoButton);
        WaitForExactWork(frame);
    }
    if (options.area) {
        const QLine& line = *options.area;
        SendMouse(c.imageBox, QEvent::MouseButtonPress, line.p1(), Qt::LeftButton, Qt::LeftButton,
                  Qt::ShiftModifier);
        SendMouse(c.imageBox, QEvent::MouseMove, line.p2(), Qt::NoButton, Qt::LeftButton,
                  Qt::ShiftModifier);
        SendMouse(c.imageBox, QEvent::MouseButtonRelease, line.p2(), Qt::LeftButton, Qt::NoButton,
                  Qt::ShiftModifier);
        WaitForExactWork(frame);
        SizeFrame(form, options.size);
    }
    WaitForRest(c.sceneViewer);
    const OrbitTimings orbit = Orbit(c.sceneViewer, options.orbit);
    WaitForRest(c.sceneViewer);
    // A sample looked up under the last pointer position (a press moves it too) is in the
    // status bar before the outputs are written, however long its strip took.
    WaitForExactWork(frame);

    int status = 0;
    if (!options.saveView.isEmpty()) {
        const int before = int(messages.size());
        form.SaveViewAs();
        while (frame.SavingView()) // a save at file resolution ends off this thread
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (messages.size() != before || !QFileInfo::exists(options.saveView)) {
            std::fprintf(stderr, "orvane-snapshot: cannot write %s\n",
                         qPrintable(options.saveView));
            status = 1;
        }
    }
    // The outputs are written all or nothing: a full disk is a failure, not a short file.
    auto write = [&status](const QByteArray& bytes, const QString& fileName) {
        QString why;
        if (!app::WriteWholeFile(bytes, fileName, why)) {
            std::fprintf(stderr, "orvane-snapshot: cannot write %s: %s\n", qPrintable(fileName),
                         qPrintable(why));
            status = 1;
        }
    };
    if (!options.png.isEmpty()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (frame.grab().save(&buffer, "PNG")) {
            write(png, options.png);
        } else {
            std::fprintf(stderr, "orvane-snapshot: cannot encode %s\n", qPrintable(options.png));
            status = 1;
        }
    }
    if (!options.json.isEmpty()) {
        QJsonObject report = Report(options, frame, messages, progress, form.StatusHint());
        if (options.timings)
            report.insert("timings", TimingsReport(frame.LastOpenTimings(), orbit));
        const QByteArray json = QJsonDocument(report).toJson(QJsonDocument::Indented);
        if (options.json == "-") {
            if (std::fwrite(json.constData(), 1, size_t(json.size()), stdout) !=
                    size_t(json.size()) ||
                std::fflush(stdout) != 0) {
                std::fprintf(stderr, "orvane-snapshot: cannot write the report\n");
                status = 1;
            }
        } else {
            write(json, options.json);
        }
    }
    app::SetMessageRecorder({});
    app::OpenDialog::SetAnswer({});
    app::SaveViewDialog::SetAnswer({});
    app::UseSettingsFile(QString());
    return status;
}

} // namespace orvane::tools
