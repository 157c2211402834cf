#include "compare_view.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <ctime>
#include <limits>

#include "core/model/language.h"
#include "core/model/local_time.h"
#include "core/model/text_util.h"
#include "core/records/comparison_export.h"
#include "core/records/derived_series.h"
#include "core/records/instrument_history.h"
#include "core/records/record_export.h"
#include "core/records/record_legend.h"
#include "core/records/record_statistics.h"
#include "core/records/series_units.h"
#include "core/records/trend_ranges.h"
#include "gui/chart/trend_state.h"
#include "gui/chart/trend_wave.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"
#include "gui/print/print_list_trend.h"
#include "gui/print/statistics_tables.h"

namespace qx {

// The aligned table: the time, then a column per instrument; NaN shows as an empty cell.
class CompareTableModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetComparison(const Comparison* comparison) {
        beginResetModel();
        comparison_ = comparison;
        titles_.clear();
        if (comparison_) {
            for (const std::string& title : ComparisonColumnTitles(*comparison_))
                titles_ << ToQString(title);
        }
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !comparison_ ? 0 : static_cast<int>(comparison_->times.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(titles_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!comparison_ || !index.isValid()) return {};
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(index.column() == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                           : Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        const auto row = static_cast<size_t>(index.row());
        if (index.column() == 0) return TimeText(comparison_->times[row]);
        const auto& values = comparison_->values[static_cast<size_t>(index.column() - 1)];
        return ToQString(ComparisonCellText(*comparison_, values[row]));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        return section < titles_.size() ? titles_[section] : QVariant();
    }

  private:
    const Comparison* comparison_ = nullptr;
    QStringList titles_;
};

namespace {

constexpr int kFontWidth = 7;
constexpr int kDivisions = 5;
constexpr int kFontHeight = 14;
constexpr int kReadoutWidths[kTrendReadoutFields] = {18, 8, 8, 7, 10, 10, 8, 8, 8};
constexpr const char* kTimeFormat = "%y-%m-%d %H:%M:%S";
constexpr const char* kExcelFilter = QT_TRANSLATE_NOOP("qx::CCompareView", "Excel 文件(*.xlsx)");
constexpr const char* kTextFilter = QT_TRANSLATE_NOOP("qx::CCompareView", "文本文件(*.txt)");
constexpr const char* kCsvFilter = QT_TRANSLATE_NOOP("qx::CCompareView", "CSV 文件(*.csv)");

// A limit entry: empty for none, a number in either the C form or the user's.
std::optional<double> LimitEntry(const QString& text, bool* ok) {
    const QString t = text.trimmed();
    *ok = true;
    if (t.isEmpty()) return std::nullopt;
    double v = QLocale::c().toDouble(t, ok);
    if (!*ok) v = QLocale().toDouble(t, ok);
    if (!*ok) return std::nullopt;
    return v;
}

}  // namespace

CCompareView::CCompareView(QWidget* parent)
    : QWidget(parent), job_(std::make_unique<CPrintListTrend>()) {
    auto* choices = new QHBoxLayout;
    series_ = new QComboBox(this);
    series_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    low_ = new QLineEdit(this);
    high_ = new QLineEdit(this);
    for (QLineEdit* edit : {low_, high_}) {
        edit->setMaximumWidth(80);
        edit->setToolTip(tr("不填:各仪器记录的限值"));
        connect(edit, &QLineEdit::returnPressed, this, [this] { Compare(); });
    }
    auto* compare = new QPushButton(tr("对比"), this);
    auto* exportButton = new QPushButton(tr("导出..."), this);
    auto* print = new QPushButton(tr("打印..."), this);
    auto* preview = new QPushButton(tr("打印预览"), this);
    auto* closeButton = new QPushButton(tr("关闭"), this);
    outputs_ = {exportButton, print, preview};
    choices->addWidget(new QLabel(tr("量:"), this));
    choices->addWidget(series_);
    choices->addSpacing(12);
    choices->addWidget(new QLabel(tr("下限:"), this));
    choices->addWidget(low_);
    choices->addWidget(new QLabel(tr("上限:"), this));
    choices->addWidget(high_);
    choices->addWidget(compare);
    choices->addStretch(1);
    choices->addWidget(exportButton);
    choices->addWidget(print);
    choices->addWidget(preview);
    choices->addWidget(closeButton);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close),
          QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
    connect(series_, &QComboBox::activated, this, [this] { Compare(); });
    connect(compare, &QPushButton::clicked, this, [this] { Compare(); });
    connect(exportButton, &QPushButton::clicked, this, [this] { ExportComparison(); });
    connect(print, &QPushButton::clicked, this, [this] { Print(PrintAction::Print); });
    connect(preview, &QPushButton::clicked, this, [this] { Print(PrintAction::Preview); });

    chart_ = new CTrendWave(this);
    chart_->EnableDrawing(false);
    chart_->SetFixedReadoutWidths(true);
    chart_->SetBanded(false);
    chart_->SetChartFont(kFontWidth, kFontHeight);
    chart_->SetReadoutWidths(kReadoutWidths);
    chart_->SetTimeFormat(1, QString::fromUtf8(kTimeFormat));
    chart_->SetSeriesText(-1, QString());
    chart_->timeLabelLines = 2;
    chart_->bottomMargin = 2 * kFontHeight + 4;
    chart_->EnableDrawing(true);

    table_ = new QTableView(this);
    model_ = new CompareTableModel(table_);
    table_->setModel(model_);
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* figuresPage = new QWidget(this);
    summary_ = new QLabel(figuresPage);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_ = new QTableWidget(figuresPage);
    figures_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figures_->verticalHeader()->hide();
    figures_->verticalHeader()->setDefaultSectionSize(20);
    auto* figuresLayout = new QVBoxLayout(figuresPage);
    figuresLayout->addWidget(summary_);
    figuresLayout->addWidget(figures_, 1);

    pages_ = new QTabWidget(this);
    pages_->addTab(table_, ToQString(Tr(kComparisonSheetName)));
    pages_->addTab(figuresPage, ToQString(Tr(kComparisonFiguresSheetName)));

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(chart_);
    split->addWidget(pages_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);
    chart_->setMinimumHeight(200);
    split->setSizes({400, 260});

    notice_ = new QLabel(this);
    notice_->setWordWrap(true);
    notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notice_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(notice_);
    layout->addWidget(split, 1);
}

CCompareView::~CCompareView() = default;

void CCompareView::SetHistories(std::vector<InstrumentHistory> histories, QueryWindow window,
                                const std::string& series) {
    histories_ = std::move(histories);
    window_ = std::move(window);
    FillSeriesChoice(series);
    Compare();
}

void CCompareView::FillSeriesChoice(const std::string& series) {
    const QString kept =
        series.empty() ? series_->currentData().toString() : QString::fromStdString(series);
    const QSignalBlocker quiet(series_);
    series_->clear();
    if (histories_.empty()) return;
    const int r = UnitsRecordingOf(histories_.front(), window_);
    if (r < 0) return;
    const RecordingSamples& recording = histories_.front()[static_cast<size_t>(r)];
    const RecordUnits units = RecordUnitsOf(recording.params.UnitByte(), recording.type);
    for (const int s : SeriesList(recording.type)) {
        const auto k = static_cast<size_t>(s);
        series_->addItem(ToQString(Tr(units.names[k])), QString::fromUtf8(units.ids[k]));
    }
    const int at = series_->findData(kept);
    series_->setCurrentIndex(std::max(at, 0));
}

bool CCompareView::ChooseSeries(const std::string& id) {
    const int at = series_->findData(QString::fromStdString(id));
    if (at < 0) return false;
    series_->setCurrentIndex(at);
    return Compare();
}

void CCompareView::SetLimitTexts(const QString& low, const QString& high) {
    low_->setText(low);
    high_->setText(high);
}

bool CCompareView::Compare() {
    ComparisonRequest request;
    // Without a quantity to offer (the first instrument has no recording) the comparison says
    // what is missing.
    if (series_->count() > 0) request.series = ToUtf8(series_->currentData().toString());
    request.window = window_;
    bool lowOk = true, highOk = true;
    const std::optional<double> low = LimitEntry(low_->text(), &lowOk);
    const std::optional<double> high = LimitEntry(high_->text(), &highOk);
    if (!lowOk || !highOk) {
        ShowWarning(this, tr("限值必须是数字:%1").arg((lowOk ? high_ : low_)->text()));
        return false;
    }
    if (low || high) request.limits = SeriesLimits{low, high};
    QString problem;
    if (CompareWith(std::move(request), &problem)) return true;
    // Limits out of range are told; a comparison refused shows its reason in the figures.
    if (problem != problem_) ShowWarning(this, problem);
    return false;
}

bool CCompareView::CompareWith(ComparisonRequest request, QString* problem) {
    request.window = window_;
    std::string why;
    std::optional<Comparison> result;
    // The chart takes up to kTrendMaxSeries lines of up to kTrendMaxPoints points.
    if (histories_.size() > static_cast<size_t>(kTrendMaxSeries)) {
        why = ToUtf8(tr("最多可以同时对比 %1 台仪器。").arg(kTrendMaxSeries));
    } else {
        result = CompareHistories(histories_, request, &why);
        if (result && result->times.size() > static_cast<size_t>(kTrendMaxPoints)) {
            why = ToUtf8(tr("对比的时间点太多(%1 个,最多 %2 个),请缩小时间范围。")
                             .arg(result->times.size())
                             .arg(kTrendMaxPoints));
            result.reset();
        }
    }
    if (result && result->limits) {
        const std::string wrong =
            LimitProblem(*result->limits, result->seriesIndex, result->units, result->title);
        if (!wrong.empty()) {
            if (problem) *problem = ToQString(wrong);
            return false;
        }
    }
    comparison_ = std::move(result);
    problem_ = comparison_ ? QString() : ToQString(why);
    if (problem) *problem = problem_;
    ShowComparison();
    return comparison_.has_value();
}

void CCompareView::ShowComparison() {
    model_->SetComparison(Result());
    figures_->clear();
    figures_->setRowCount(0);
    figures_->setColumnCount(0);
    chart_->EnableDrawing(false);
    for (QPushButton* button : outputs_)
        button->setEnabled(comparison_.has_value());
    chart_->setVisible(comparison_.has_value());
    if (comparison_ && !comparison_->leftOut.empty()) {
        notice_->setText(ToQString(ComparisonSummary(*comparison_)[1]));
    } else {
        notice_->setText(comparison_ ? QString() : problem_);
    }
    notice_->setVisible(!notice_->text().isEmpty());
    SetTitleSuffix(titleSuffix_);
    if (!comparison_) {
        summary_->setText(problem_);
        TrendSeriesList none;
        none.times = {0};
        none.series.emplace_back().values = {std::numeric_limits<float>::quiet_NaN()};
        chart_->SetSeriesList(std::move(none));
        chart_->EnableDrawing(true);
        return;
    }
    const Comparison& c = *comparison_;

    TrendSeriesList list;
    list.times.assign(c.times.begin(), c.times.end());
    for (size_t i = 0; i < c.instruments.size(); ++i) {
        TrendLine& line = list.series.emplace_back();
        line.name = ToQString(c.instruments[i].label);
        line.unit = ToQString(c.unit);
        const LegendLook& look = PaletteLook(static_cast<int>(i));
        line.colour = qRgb(look.colour.r, look.colour.g, look.colour.b);
        line.penStyle = look.penStyle;
        line.penWidth = 2;
        line.decimals = c.decimals;
        line.values = c.values[i];
    }
    // Every instrument on one axis: one range, so that the lines can be compared.
    TrendAxis& axis = list.axes.emplace_back();
    axis.title = ToQString(c.title);  // the legend names the instruments
    float lowest = std::numeric_limits<float>::infinity(), highest = -lowest;
    for (const std::vector<float>& values : c.values) {
        for (const float v : values) {
            if (v != v) continue;
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    }
    // The user's limits in view too, as lines on the first instrument's band.
    if (c.limits) {
        for (const std::optional<double>& limit : {c.limits->low, c.limits->high}) {
            if (!limit) continue;
            lowest = std::min(lowest, static_cast<float>(*limit));
            highest = std::max(highest, static_cast<float>(*limit));
        }
    }
    // One range of round steps for all (a single value gets a range around it).
    const TrendRange range =
        lowest <= highest ? RoundRange(lowest, highest, kDivisions) : TrendRange{0, 1};
    for (size_t i = 0; i < list.series.size(); ++i) {
        axis.series.push_back(static_cast<int>(i));
        list.series[i].low = range.low;
        list.series[i].high = range.high;
        list.series[i].step = TrendGridStep(range, kDivisions);
    }
    chart_->SetSeriesList(std::move(list));
    const AlarmPens& pens = kTemperatureAlarmPens;
    const auto rgb = [](const LegendLook& look) {
        return qRgb(look.colour.r, look.colour.g, look.colour.b);
    };
    chart_->SetAlarmLines(0, c.limits && c.limits->low ? static_cast<float>(*c.limits->low) : 0,
                          c.limits && c.limits->high ? static_cast<float>(*c.limits->high) : 0,
                          rgb(pens.low), rgb(pens.high), pens.low.penStyle, pens.high.penStyle);
    chart_->ShowAlarmLines(0, c.limits && c.limits->low, c.limits && c.limits->high);
    chart_->EnableDrawing(true);

    QStringList lines;
    for (const std::string& line : ComparisonSummary(c))
        lines << ToQString(line);
    summary_->setText(lines.join(u'\n'));
    const TextTable figures = ComparisonFigureTable(c, true);
    figures_->setColumnCount(static_cast<int>(figures.titles.size()));
    figures_->setRowCount(static_cast<int>(figures.rows.size()));
    QStringList titles;
    for (const std::string& title : figures.titles)
        titles << ToQString(title);
    figures_->setHorizontalHeaderLabels(titles);
    for (size_t r = 0; r < figures.rows.size(); ++r) {
        for (size_t k = 0; k < figures.rows[r].size(); ++k) {
            auto* item = new QTableWidgetItem(ToQString(figures.rows[r][k]));
            if (k >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            figures_->setItem(static_cast<int>(r), static_cast<int>(k), item);
        }
    }
    figures_->resizeColumnsToContents();
    table_->resizeColumnsToContents();
}

void CCompareView::ExportComparison() {
    if (!comparison_) return;
    FileDialogRequest request;
    request.title = tr("另存为");
    request.initialPath = exportPath_.isEmpty() ? ExportProposal() : exportPath_;
    request.filter =
        QStringLiteral("%1;;%2;;%3").arg(tr(kExcelFilter), tr(kTextFilter), tr(kCsvFilter));
    request.defaultSuffix = QStringLiteral("xlsx");
    request.save = true;
    QString selectedFilter;
    const QString chosen = Prompts().FileName(this, request, &selectedFilter);
    if (chosen.isEmpty()) return;
    exportPath_ = chosen.trimmed();
    const std::string path = ToUtf8(exportPath_);
    ExportFormat format = ExportFormatForPath(path);
    if (format == ExportFormat::None) return;
    if (format == ExportFormat::Text &&
        exportPath_.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        format = ExportFormat::Csv;
    std::string why;
    int sheets = 1;
    if (qx::ExportComparison(path, format, *comparison_, &why, &sheets)) {
        ShowInfo(this, ToQString(ExportSucceededMessage(path, kComparisonSheetName, sheets)));
    } else {
        ShowWarning(this, ToQString(WithReason(ExportFailedMessage(path), why)));
    }
}

void CCompareView::SetTitleSuffix(const QString& suffix) {
    titleSuffix_ = suffix;
    const QString caption = Caption();
    QString title = caption.isEmpty() ? tr("对比") : tr("对比 %1").arg(caption);
    if (!suffix.isEmpty()) title = QStringLiteral("%1 - %2").arg(title, suffix);
    setWindowTitle(title);
}

QString CCompareView::Caption() const {
    if (!comparison_) return {};
    constexpr int kShownLabels = 3;
    const auto& instruments = comparison_->instruments;
    QStringList labels;
    for (size_t i = 0; i < instruments.size() && i < kShownLabels; ++i)
        labels << ToQString(instruments[i].label);
    QString text = labels.join(QStringLiteral(", "));
    if (instruments.size() > kShownLabels)
        text = tr("%1 等 %n 台", nullptr, static_cast<int>(instruments.size())).arg(text);
    return QStringLiteral("%1: %2").arg(ToQString(comparison_->title), text);
}

QString CCompareView::ExportProposal() const {
    QString name = ToQString(ComparisonReportTitle());
    if (comparison_) {
        const std::time_t first = comparison_->times.empty() ? 0 : comparison_->times.front();
        name = tr("%1对比_%2")
                   .arg(ToQString(comparison_->name),
                        ToQString(FormatLocalTime(static_cast<int64_t>(first), "%Y%m%d")));
    }
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return dataFolder_.isEmpty() ? name : QDir(dataFolder_).filePath(name);
}

void CCompareView::PrepareJob() {
    CPrintListTrend& job = *job_;
    job.SetSources(nullptr, chart_);
    job.SetComparison(Result());
    job.mode = CPrintListTrend::kSummaryMode;
    job.chooseMode = false;
    job.hasData = comparison_.has_value();
    job.documentName = ToQString(ComparisonReportTitle());
    if (comparison_) {
        job.infoLine = tr("量:%1  仪器数:%2  查询条件:%3")
                           .arg(ToQString(comparison_->title))
                           .arg(comparison_->instruments.size())
                           .arg(ToQString(comparison_->condition));
    }
    job.footerText = tr("打印时间:%1")
                         .arg(ToQString(FormatLocalTime(static_cast<int64_t>(std::time(nullptr)),
                                                        "%Y-%m-%d %H:%M")));
}

bool CCompareView::Print(PrintAction action) {
    if (!comparison_) return false;
    PrepareJob();
    return PrintRecord(this, *job_, action);
}

int CCompareView::PrintToPdfFile(const QString& path, QString* error) {
    if (!comparison_) {
        if (error) *error = problem_;
        return -1;
    }
    PrepareJob();
    return PrintToPdf(*job_, path, error);
}

}  // namespace qx
