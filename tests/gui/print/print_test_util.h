// Helpers of the printing tests: sample tables from synthetic records, a paint device that
// records what a page draws, and PDF inspection through poppler's command-line tools.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <cmath>
#include <memory>
#include <vector>

#include "core/records/record_fixtures.h"
#include "core/records/record_set.h"
#include "core/records/sample_decoding.h"
#include "core/records/sample_table.h"
#include "gui/chart/chart_test_util.h"
#include "gui/print/print_list_trend.h"

namespace qx::test {

// A record of a type with count samples and its table of all samples.
struct TableFixture {
    std::unique_ptr<RecordSet> set = std::make_unique<RecordSet>();
    SampleTable table;

    TableFixture(InstrumentTypeId type, uint32_t count) {
        const RecordImage image = MakeRecordImage(type, count);
        DecodeRecord(image, *set, type);
        table.Build(*set, QueryWindow{});
    }
};

// The texts of a job as the record browser gives them.
inline void SetJobTexts(CPrintListTrend& job, int count, const QString& file) {
    job.hasData = true;
    job.infoLine = QStringLiteral("编号:QX0001 测量名:测试点  总记录数:%1  查询条件:所有 记录数:%1")
                       .arg(count);
    job.footerText = QStringLiteral("打印时间:2017-05-19 14:03  数据文件:%1").arg(file);
}

// A report job over a table with the list's columns.
inline void SetReportJob(CPrintListTrend& job, const SampleTable& table, const QString& file) {
    job.SetSources(&table, nullptr);
    job.SetColumns(CPrintListTrend::ColumnCharacters(table));
    job.mode = CPrintListTrend::kReportMode;
    SetJobTexts(job, table.RowCount(), file);
}

// A chart filled as the record browser fills it, with its print job.
struct ChartFixture {
    CTrendWave chart;
    CPrintListTrend job;

    explicit ChartFixture(int points) {
        chart.resize(900, 500);
        ConfigureLikeBrowser(chart);
        FillLikeBrowser(chart, points);
        job.SetSources(nullptr, &chart);
        job.mode = CPrintListTrend::kCurveMode;
        SetJobTexts(job, points, QStringLiteral("chart.QXRec"));
    }
};

// A paint engine that keeps every text, filled rectangle and line in device coordinates.
class RecordingEngine final : public QPaintEngine {
  public:
    struct Text {
        QString text;
        QPointF at;  // start of the baseline
        QFont font;
    };
    struct Fill {
        QRectF rect;
        QColor colour;
    };
    struct Line {
        QLineF line;
        QColor colour;
        qreal width;
    };

    RecordingEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}

    std::vector<Text> texts;
    std::vector<Fill> fills;
    std::vector<Line> lines;

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }
    void updateState(const QPaintEngineState& state) override {
        if (state.state() & DirtyTransform) transform_ = state.transform();
        if (state.state() & DirtyPen) pen_ = state.pen();
        if (state.state() & DirtyBrush) brush_ = state.brush();
    }
    // A line drawn in several fonts (Latin and Chinese faces) arrives in runs: a run that
    // continues the previous one on its baseline joins it.
    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        const QPointF at = transform_.map(p);
        const qreal width = item.width() * transform_.m11();
        if (!texts.empty() && std::abs(texts.back().at.y() - at.y()) < 0.5 &&
            std::abs(lastEnd_ - at.x()) < 0.5) {
            texts.back().text += item.text();
        } else {
            texts.push_back({item.text(), at, item.font()});
        }
        lastEnd_ = at.x() + width;
    }
    void drawRects(const QRectF* rects, int count) override {
        for (int i = 0; i < count; ++i)
            fills.push_back({transform_.mapRect(rects[i]), brush_.color()});
    }
    void drawRects(const QRect* rects, int count) override {
        for (int i = 0; i < count; ++i) {
            const QRectF rect(rects[i]);
            drawRects(&rect, 1);
        }
    }
    void drawLines(const QLineF* l, int count) override {
        for (int i = 0; i < count; ++i)
            lines.push_back({transform_.map(l[i]), pen_.color(), pen_.widthF()});
    }
    void drawLines(const QLine* l, int count) override {
        for (int i = 0; i < count; ++i) {
            const QLineF line(l[i]);
            drawLines(&line, 1);
        }
    }
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}

    // Texts whose start lies in a device rectangle, in drawing order.
    QStringList TextsIn(const QRectF& area) const {
        QStringList found;
        for (const Text& t : texts) {
            if (area.contains(t.at)) found << t.text;
        }
        return found;
    }
    const Text* Find(const QString& text) const {
        for (const Text& t : texts) {
            if (t.text == text) return &t;
        }
        return nullptr;
    }

  private:
    QTransform transform_;
    qreal lastEnd_ = 0;
    QPen pen_;
    QBrush brush_;
};

// A page of a given size in device pixels at 1200 dots per inch that records its drawing.
class RecordingDevice final : public QPaintDevice {
  public:
    RecordingDevice(int width, int height) : width_(width), height_(height) {}
    QPaintEngine* paintEngine() const override { return &engine; }
    mutable RecordingEngine engine;

  protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
            case PdmWidth:
                return width_;
            case PdmHeight:
                return height_;
            case PdmWidthMM:
                return width_ * 254 / 12000;
            case PdmHeightMM:
                return height_ * 254 / 12000;
            case PdmDpiX:
            case PdmDpiY:
            case PdmPhysicalDpiX:
            case PdmPhysicalDpiY:
                return 1200;
            case PdmDepth:
                return 32;
            case PdmNumColors:
                return 0x7FFFFFFF;
            case PdmDevicePixelRatio:
                return 1;
            case PdmDevicePixelRatioScaled:
                return static_cast<int>(devicePixelRatioFScale());
            default:
                return 0;
        }
    }

  private:
    int width_;
    int height_;
};

// Output of a command-line tool, or a null array when it cannot be run.
inline QByteArray RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return {};
    }
    QByteArray out = process.readAllStandardOutput();
    if (out.isNull()) out = QByteArray("");
    return out;
}

// Page objects of a PDF file ("/Type /Page", not "/Type /Pages").
inline int CountPdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    const QByteArray data = file.readAll();
    int count = 0;
    for (qsizetype at = data.indexOf("/Type /Page"); at >= 0;
         at = data.indexOf("/Type /Page", at + 1)) {
        count += at + 11 >= data.size() || data[at + 11] != 's';
    }
    return count;
}

// A line of pdfinfo's report ("Pages", "Page size"), empty when missing.
inline QString PdfInfo(const QString& path, const QString& key) {
    const QString out = QString::fromUtf8(RunTool(QStringLiteral("pdfinfo"), {path}));
    for (const QString& line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QLatin1Char(':'))) return line.mid(key.size() + 1).trimmed();
    }
    return {};
}

// Page width and height in points from pdfinfo's "Page size" line.
inline QSizeF PdfPageSize(const QString& path) {
    const QString size = PdfInfo(path, QStringLiteral("Page size"));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("([0-9.]+) x ([0-9.]+)")).match(size);
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QSizeF();
}

// The text of one page of a PDF file as pdftotext reads it.
inline QString PdfPageText(const QString& path, int page) {
    const QString p = QString::number(page);
    return QString::fromUtf8(
        RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), p,
                                              QStringLiteral("-l"), p, path, QStringLiteral("-")}));
}

// Renders every page of a PDF to <screenshots>/<name>-<page>.png; the number of pages drawn.
inline int RenderPdf(const QString& path, const QString& name, int dpi = 60) {
    const char* dir = std::getenv("QX_SCREENSHOT_DIR");
    const QString prefix = QString::fromUtf8(dir && *dir ? dir : ".") + QLatin1Char('/') + name;
    if (RunTool(QStringLiteral("pdftoppm"),
                {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi), path, prefix})
            .isNull()) {
        return -1;
    }
    int pages = 0;
    for (int page = 1; page < 100; ++page) {
        const QString single = prefix + QStringLiteral("-%1.png").arg(page);
        const QString padded =
            prefix + QStringLiteral("-%1.png").arg(page, 2, 10, QLatin1Char('0'));
        if (!QFile::exists(single) && !QFile::exists(padded)) break;
        ++pages;
    }
    return pages;
}

inline QString ScreenshotFile(const QString& name) {
    const char* dir = std::getenv("QX_SCREENSHOT_DIR");
    return QString::fromUtf8(dir && *dir ? dir : ".") + QLatin1Char('/') + name;
}

}  // namespace qx::test
