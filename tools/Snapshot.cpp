#include "tools/Snapshot.h"

#include "app/ImageFrame.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "app/HistogramChart.h"
#include "app/PaintBox.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QToolButton>
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QSlider>
#include <QWheelEvent>
#include <cstdio>

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


QJsonObject Report(const SnapshotOptions& options, const TTarsunFrame& f, const QStringList& messages,
                   const QList<int>& progress) {
    QJsonObject labels{{"File", f.FileLabel->text()},
                       {"Res", f.ResLabel->text()},
                       {"Size", f.SizeLabel->text()},
                       {"Bigtiff", f.BigtiffLabel->isVisibleTo(f.InfoGroupBox)},
                       {"X", f.XLabel->text()},
                       {"Y", f.YLabel->text()},
                       {"Z", f.ZLabel->text()}};
    QJsonObject model{{"ImageWidth", double(f.ImageWidth)},
                      {"ImageHeight", double(f.ImageHeight)},
                      {"ColumnStep", double(f.ColumnStep)},
                      {"RowStep", double(f.RowStep)},
                      {"SpanWidth", double(f.SpanWidth)},
                      {"SpanHeight", double(f.SpanHeight)},
                      {"Resolution", double(f.Resolution)},
                      {"ZMin", f.ZMin},
                      {"ZMax", f.ZMax},
                      {"BitsPerSample", int(f.BitsPerSample)},
                      {"Photometric", int(f.Photometric)}};
    QJsonObject texts{{"ScannerSoftware", f.ScannerSoftware},
                      {"ScannerModel", f.ScannerModel},
                      {"AcquisitionDate", f.AcquisitionDate},
                      {"AcquisitionSetup", f.AcquisitionSetup},
                      {"AcquisitionInfo", f.AcquisitionInfo}};
    QJsonValue levels;
    if (f.SampleBuffer) {
        const QByteArray bytes = QByteArray::fromRawData(
            reinterpret_cast<const char*>(f.SampleBuffer), qsizetype(f.ImageWidth * f.ImageHeight));
        levels = QString::fromLatin1(
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    }
    QJsonArray progressArray;
    for (int p : progress)
        progressArray.append(p);
    QJsonArray messageArray;
    for (const QString& m : messages)
        messageArray.append(m);

    const bool opened = f.SampleBuffer != nullptr;
    QJsonValue view, histogram, marker, scene;
    if (opened) {
        const QRect box = f.PaintBox1->geometry();
        view = QJsonObject{{"ViewWidth", f.ViewWidth},
                           {"ViewHeight", f.ViewHeight},
                           {"ViewOffsetX", f.ViewOffsetX},
                           {"ViewOffsetY", f.ViewOffsetY},
                           {"box", QJsonArray{box.x(), box.y(), box.width(), box.height()}}};
        const auto& field = f.Scene1.HeightField1;
        auto triple = [](const orvane::view3d::TVector4f& v) {
            return QJsonArray{double(v[0]), double(v[1]), double(v[2])};
        };
        scene = QJsonObject{
            {"xrange", QJsonArray{double(field.XSamplingScale.Min()), double(field.XSamplingScale.Max())}},
            {"yrange", QJsonArray{double(field.YSamplingScale.Min()), double(field.YSamplingScale.Max())}},
            {"xstep", double(field.XSamplingScale.Step())},
            {"ystep", double(field.YSamplingScale.Step())},
            {"zscale", double(field.Scale.Z())},
            {"camera", triple(f.Scene1.GLCamera1.AbsolutePosition())},
            {"target", triple(f.Scene1.GLDummyCube1.AbsolutePosition())},
            {"constAttenuation", double(f.Scene1.GLLightSource1.ConstAttenuation())},
            {"texture", !field.Material.Texture.Disabled()}};
    }
    QJsonValue info;
    if (f.InfoPanel->isVisibleTo(const_cast<TTarsunFrame*>(&f))) {
        QJsonArray lines;
        for (const QString& line : f.InfoMemo->toPlainText().split(QLatin1Char('\n')))
            lines.append(line);
        const QRect g = f.InfoPanel->geometry();
        info = QJsonObject{{"lines", lines},
                           {"panel", QJsonArray{g.x(), g.y(), g.width(), g.height()}}};
    }
    const QList<double> bars = f.Isto->BarHeights();
    if (!bars.isEmpty()) {
        QJsonArray heights;
        for (double h : bars)
            heights.append(h);
        histogram = heights;
    }
    const QList<QPointF> markerPoints = f.Isto->MarkerPoints();
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
    SetMessageRecorder([&messages](MessageKind, const QString& text) { messages << text; });
    QList<int> progress;
    QString nextDialogAnswer;
    TOpenDialog::SetAnswer([&nextDialogAnswer](const QString&, const QString&) {
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

    if (options.view3d)
        frame.SB3D->click();
    SendWheel(&frame, options.wheel);
    if (options.resolution)
        frame.TrackBarRes->setValue(*options.resolution);
    if (options.zdepth)
        frame.TrackBarZ->setValue(*options.zdepth);
    if (!options.texture.isEmpty()) {
        nextDialogAnswer = QFileInfo(options.texture).absoluteFilePath();
        form.LoadTexture1->trigger();
    }
    if (options.info)
        form.IFFInfo1->trigger();
    if (options.press)
        SendPress(frame.PaintBox1, *options.press);
    ProcessEvents();

    int status = 0;
    if (!options.png.isEmpty() && !frame.grab().save(options.png, "PNG")) {
        std::fprintf(stderr, "orvane-snapshot: cannot write %s\n", qPrintable(options.png));
        status = 1;
    }
    if (!options.json.isEmpty()) {
        const QByteArray json =
            QJsonDocument(Report(options, frame, messages, progress)).toJson(QJsonDocument::Indented);
        if (options.json == "-") {
            std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
        } else {
            QFile out(options.json);
            if (!out.open(QIODevice::WriteOnly) || out.write(json) != json.size()) {
                std::fprintf(stderr, "orvane-snapshot: cannot write %s\n", qPrintable(options.json));
                status = 1;
            }
        }
    }
    SetMessageRecorder({});
    TOpenDialog::SetAnswer({});
    return status;
}
