#include "library_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>
#include <set>

#include "core/library/library_location.h"
#include "core/library/library_texts.h"
#include "core/library/server_location.h"
#include "core/model/instrument_catalogue.h"
#include "core/model/local_time.h"
#include "core/model/param_block.h"
#include "core/model/text_util.h"
#include "gui/common/app_fonts.h"
#include "gui/common/background_work.h"
#include "gui/common/prompter.h"
#include "gui/common/qt_text.h"

namespace qx {
namespace {

constexpr const char* kTimeFormat = "%y-%m-%d %H:%M";
constexpr int kIdRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;
constexpr int kInstrumentKind = 0;
constexpr int kRecordingKind = 1;
// Failures named one by one after an addition; the rest are counted.
constexpr int kShownFailures = 8;
// The column widths in pixels (titles and contents wider than these widen them).
constexpr int kColumnWidths[] = {110, 70, 100, 100, 50, 60, 55, 200};
// The narrowest the control panel is (its texts may make it wider).
constexpr int kPanelWidth = 170;

QString TimeText(int64_t t) {
    return ToQString(FormatLocalTime(t, kTimeFormat));
}

// The line of a record file: its name, what became of it (where it is now when it moved), and
// the other files of the recording as a count; the tooltip has every file's path.
QString FilesText(const std::vector<SourceFile>& files) {
    if (files.empty()) return {};
    // A file at hand first: the one that opens.
    const auto at = std::find_if(files.begin(), files.end(), [](const SourceFile& f) {
        return f.state == FileState::kPresent || f.state == FileState::kMoved;
    });
    const SourceFile& f = at == files.end() ? files.front() : *at;
    QString text = QFileInfo(ToQString(f.file.path)).fileName();
    if (f.state == FileState::kMoved) {
        text = QStringLiteral("%1: %2 → %3")
                   .arg(QString::fromUtf8(FileStateText(f.state)), text,
                        QDir::toNativeSeparators(ToQString(f.movedTo)));
    } else if (f.state != FileState::kPresent) {
        text = QStringLiteral("%1: %2").arg(ToQString(FileStateLabel(f)), text);
    }
    if (files.size() > 1) text += QStringLiteral("  (+%1)").arg(files.size() - 1);
    return text;
}

QString FilesToolTip(const std::vector<SourceFile>& files) {
    QStringList lines;
    for (const SourceFile& f : files) {
        QString line = QStringLiteral("%1\t%2").arg(
            ToQString(FileStateLabel(f)), QDir::toNativeSeparators(ToQString(f.file.path)));
        if (f.state == FileState::kMoved)
            line += QStringLiteral(" → ") + QDir::toNativeSeparators(ToQString(f.movedTo));
        lines.append(line);
    }
    return lines.join(u'\n');
}

// No file is missing, moved or changed: those of another PC are where it keeps them.
bool AllAtHand(const std::vector<SourceFile>& files) {
    return std::all_of(files.begin(), files.end(), [](const SourceFile& f) {
        return f.state == FileState::kPresent || f.state == FileState::kElsewhere;
    });
}

}  // namespace

CLibraryView::CLibraryView(QWidget* parent) : QWidget(parent), work_(new CBackgroundWork(this)) {
    setFont(SongFont(12));
    CreateControls();
    UpdateButtons();
}

void CLibraryView::CreateControls() {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(6);
    // The control panel scrolls in a window too low for it.
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* panelArea = new QWidget(scroll);
    auto* panel = new QVBoxLayout(panelArea);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->setSpacing(6);
    row->addWidget(scroll, 0);

    // The filter: every condition given must hold; the list follows each change.
    auto* filter = new QGroupBox(tr("筛选条件"), panelArea);
    auto* grid = new QGridLayout(filter);
    grid->setContentsMargins(6, 4, 6, 6);
    grid->setVerticalSpacing(4);
    model_ = new QComboBox(filter);
    model_->addItem(tr("全部型号"), 0);
    for (InstrumentTypeId type = 1; type <= kModelCount; ++type)
        model_->addItem(ToQString(ModelName(type)), type);
    number_ = new QLineEdit(filter);
    name_ = new QLineEdit(filter);
    timeBox_ = new QCheckBox(tr("时间从:"), filter);
    fromDate_ = new QDateEdit(filter);
    toDate_ = new QDateEdit(filter);
    const QDate today = QDate::currentDate();
    for (QDateEdit* date : {fromDate_, toDate_}) {
        date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        date->setCalendarPopup(true);
        date->setEnabled(false);
    }
    fromDate_->setDate(today.addMonths(-1));
    toDate_->setDate(today);
    excursions_ = new QCheckBox(tr("只列有超限的记录"), filter);
    // Each label above its field: the panel stays narrow in every language and leaves the
    // room to the list.
    int at = 0;
    const auto add = [&](QWidget* label, QWidget* field) {
        if (label) grid->addWidget(label, at++, 0);
        if (field) grid->addWidget(field, at++, 0);
    };
    add(new QLabel(tr("型号:"), filter), model_);
    add(new QLabel(tr("编号:"), filter), number_);
    add(new QLabel(tr("测量名:"), filter), name_);
    add(timeBox_, fromDate_);
    add(new QLabel(tr("到:"), filter), toDate_);
    add(excursions_, nullptr);
    panel->addWidget(filter);
    connect(model_, &QComboBox::currentIndexChanged, this, &CLibraryView::Refresh);
    connect(number_, &QLineEdit::textChanged, this, &CLibraryView::Refresh);
    connect(name_, &QLineEdit::textChanged, this, &CLibraryView::Refresh);
    connect(timeBox_, &QCheckBox::toggled, this, [this](bool on) {
        fromDate_->setEnabled(on);
        toDate_->setEnabled(on);
        Refresh();
    });
    connect(fromDate_, &QDateEdit::dateChanged, this, &CLibraryView::Refresh);
    connect(toDate_, &QDateEdit::dateChanged, this, &CLibraryView::Refresh);
    connect(excursions_, &QCheckBox::toggled, this, &CLibraryView::Refresh);

    // The chosen lines.
    auto* chosen = new QGroupBox(tr("选中的记录"), panelArea);
    auto* chosenColumn = new QVBoxLayout(chosen);
    chosenColumn->setContentsMargins(6, 4, 6, 6);
    open_ = new QPushButton(tr("打开"), chosen);
    history_ = new QPushButton(tr("仪器历史"), chosen);
    compare_ = new QPushButton(tr("对比..."), chosen);
    for (QPushButton* b : {open_, history_, compare_})
        chosenColumn->addWidget(b);
    panel->addWidget(chosen);
    connect(open_, &QPushButton::clicked, this, &CLibraryView::OpenChosen);
    connect(history_, &QPushButton::clicked, this, &CLibraryView::HistoryChosen);
    connect(compare_, &QPushButton::clicked, this, &CLibraryView::CompareChosen);

    // The library itself.
    auto* library = new QGroupBox(tr("记录库"), panelArea);
    auto* libraryColumn = new QVBoxLayout(library);
    libraryColumn->setContentsMargins(6, 4, 6, 6);
    auto* addFolder = new QPushButton(tr("加入文件夹..."), library);
    auto* addFiles = new QPushButton(tr("加入记录文件..."), library);
    auto* refresh = new QPushButton(tr("刷新"), library);
    for (QPushButton* b : {addFolder, addFiles, refresh})
        libraryColumn->addWidget(b);
    panel->addWidget(library);
    panel->addStretch(1);
    for (QGroupBox* group : {filter, chosen, library})
        group->setMinimumWidth(kPanelWidth);
    scroll->setWidget(panelArea);
    scroll->setFixedWidth(panelArea->sizeHint().width() +
                          scroll->verticalScrollBar()->sizeHint().width());
    connect(addFolder, &QPushButton::clicked, this, &CLibraryView::AddFolder);
    connect(addFiles, &QPushButton::clicked, this, &CLibraryView::AddFiles);
    connect(refresh, &QPushButton::clicked, this, &CLibraryView::Refresh);

    auto* listColumn = new QVBoxLayout;
    listColumn->setSpacing(4);
    row->addLayout(listColumn, 1);
    notice_ = new QLabel(this);
    notice_->setWordWrap(true);
    notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    notice_->hide();
    listColumn->addWidget(notice_);
    list_ = new QTreeWidget(this);
    list_->setColumnCount(kColumnCount);
    list_->setHeaderLabels({tr("仪器"), tr("测量名"), tr("开始时间"), tr("结束时间"), tr("样本数"),
                            tr("记录间隔"), tr("超限次数"), tr("记录文件")});
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setRootIsDecorated(true);
    list_->header()->setStretchLastSection(true);
    list_->header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QFontMetrics metrics(list_->header()->font());
    for (int c = 0; c < kColumnCount; ++c) {
        const int title = metrics.horizontalAdvance(list_->headerItem()->text(c)) + 16;
        list_->setColumnWidth(c, std::max(kColumnWidths[c], title));
    }
    listColumn->addWidget(list_, 1);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Open(item); });
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &CLibraryView::UpdateButtons);
    connect(list_, &QTreeWidget::currentItemChanged, this, &CLibraryView::UpdateButtons);
}

void CLibraryView::SetLocation(const QString& location, const QString& fallback) {
    location_ = shown_ = location;
    fallback_ = fallback;
}

std::optional<int64_t> CLibraryView::FromTime() const {
    if (!timeBox_->isChecked()) return std::nullopt;
    return QDateTime(fromDate_->date(), QTime(0, 0)).toSecsSinceEpoch();
}

std::optional<int64_t> CLibraryView::ToTime() const {
    if (!timeBox_->isChecked()) return std::nullopt;
    return QDateTime(toDate_->date(), QTime(23, 59, 59)).toSecsSinceEpoch();
}

LibraryFilter CLibraryView::Filter() const {
    LibraryFilter filter;
    filter.model = static_cast<InstrumentTypeId>(model_->currentData().toInt());
    filter.number = ToUtf8(number_->text().trimmed());
    filter.name = ToUtf8(name_->text().trimmed());
    filter.from = FromTime();
    filter.to = ToTime();
    filter.excursionsOnly = excursions_->isChecked();
    return filter;
}

struct CLibraryView::Listing {
    std::vector<RecordingEntry> entries;
    QString notice;
    QString shown;
};

CLibraryView::Listing CLibraryView::Read(const QString& location, const QString& fallback,
                                         const LibraryFilter& filter) {
    Listing out;
    out.shown = location;
    OpenedLibrary opened = OpenLibrary(ToUtf8(location), LibraryOpen::kExisting);
    QString away;  // why the server cannot be used while its fallback is shown
    if (!opened.library && opened.error.fault != LibraryFault::kMissing && !fallback.isEmpty() &&
        fallback != location) {
        OpenedLibrary local = OpenLibrary(ToUtf8(fallback), LibraryOpen::kExisting);
        if (local.library) {
            away = ToQString(WithReason(opened.message, opened.error.detail));
            opened = std::move(local);
            out.shown = fallback;
        }
    }
    if (!opened.library) {
        out.notice = opened.error.fault == LibraryFault::kMissing
                         ? tr("记录库里还没有记录。下载的记录保存后自动加入记录库;"
                              "已有的记录文件可以用“加入文件夹...”加入。")
                         : ToQString(WithReason(opened.message, opened.error.detail));
    } else if (!opened.library->List(filter, out.entries)) {
        const LibraryError& error = opened.library->Error();
        out.notice =
            ToQString(WithReason(LibraryErrorMessage(ToUtf8(out.shown), error), error.detail));
        out.entries.clear();
    }
    if (!away.isEmpty())
        out.notice = tr("记录库服务器现在不能使用,下面是本机记录库(这台电脑收集的记录):") + u'\n' +
                     away + (out.notice.isEmpty() ? QString() : u'\n' + out.notice);
    return out;
}

void CLibraryView::Refresh() {
    const int generation = ++generation_;
    if (location_.isEmpty() || (timeBox_->isChecked() && fromDate_->date() > toDate_->date())) {
        Listing none;
        if (!location_.isEmpty())
            none.notice = tr("开始日期在结束日期之后,没有记录能在这段时间里。");
        none.shown = shown_;
        Show(none);
        return;
    }
    const LibraryFilter filter = Filter();
    if (!IsServerLocation(ToUtf8(location_))) {
        Listing listing = Read(location_, fallback_, filter);
        Show(listing);
        return;
    }
    // A server may be slow to answer, or never: the list stays as it is until it has.
    notice_->setText(tr("正在读取记录库服务器..."));
    notice_->setVisible(true);
    work_->Run<Listing>([location = location_, fallback = fallback_,
                         filter] { return Read(location, fallback, filter); },
                        [this, generation](Listing& listing) {
                            if (generation == generation_) Show(listing);
                        });
}

void CLibraryView::Show(Listing& listing) {
    entries_ = std::move(listing.entries);
    shown_ = listing.shown;
    notice_->setText(listing.notice);
    notice_->setVisible(!listing.notice.isEmpty());
    Fill();
}

void CLibraryView::Fill() {
    // What was open and chosen stays so.
    std::set<std::pair<int, qlonglong>> chosen, expanded;
    for (QTreeWidgetItem* item : list_->selectedItems())
        chosen.insert({item->data(0, kKindRole).toInt(), item->data(0, kIdRole).toLongLong()});
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->isExpanded())
            expanded.insert({kInstrumentKind, item->data(0, kIdRole).toLongLong()});
    }
    const bool first = list_->topLevelItemCount() == 0;

    list_->setUpdatesEnabled(false);
    list_->clear();
    QList<QTreeWidgetItem*> instruments;
    QTreeWidgetItem* parent = nullptr;
    LibraryId current = -1;
    int64_t samples = 0, excursions = 0, firstTime = 0, lastTime = 0;
    std::set<std::string> names;
    const QBrush unusual(QColor(0xA0, 0x20, 0x20));
    const auto closeInstrument = [&] {
        if (!parent) return;
        QStringList nameList;
        for (const std::string& n : names)
            nameList.append(ToQString(n));
        parent->setText(kNameColumn, nameList.join(QStringLiteral(", ")));
        parent->setText(kFirstColumn, TimeText(firstTime));
        parent->setText(kLastColumn, TimeText(lastTime));
        parent->setText(kSamplesColumn, QString::number(samples));
        parent->setText(kExcursionsColumn, QString::number(excursions));
        parent->setText(kFilesColumn, tr("%n 个记录", nullptr, parent->childCount()));
    };
    for (const RecordingEntry& e : entries_) {
        const LibraryRecording& r = e.recording;
        if (r.instrument != current) {
            closeInstrument();
            current = r.instrument;
            parent = new QTreeWidgetItem;
            parent->setText(kInstrumentColumn, ToQString(InstrumentName(r.instrumentKey)));
            parent->setData(0, kIdRole, static_cast<qlonglong>(r.instrument));
            parent->setData(0, kKindRole, kInstrumentKind);
            instruments.append(parent);
            samples = excursions = 0;
            firstTime = r.totals.first;
            lastTime = r.totals.last;
            names.clear();
        }
        samples += r.totals.samples;
        excursions += r.totals.excursions;
        firstTime = std::min(firstTime, r.totals.first);
        lastTime = std::max(lastTime, r.totals.last);
        if (!r.name.empty()) names.insert(r.name);
        auto* item = new QTreeWidgetItem(parent);
        item->setData(0, kIdRole, static_cast<qlonglong>(r.id));
        item->setData(0, kKindRole, kRecordingKind);
        item->setText(kNameColumn, ToQString(r.name));
        item->setText(kFirstColumn, TimeText(r.totals.first));
        item->setText(kLastColumn, TimeText(r.totals.last));
        item->setText(kSamplesColumn, QString::number(r.totals.samples));
        if (!e.overlaps.empty()) {
            // Where another recording holds the same time, the history shows one of them.
            int64_t setAside = 0;
            QStringList lines;
            for (const LibraryOverlap& o : e.overlaps) {
                if (o.overlap.setAside.recording == r.id) setAside += o.setAside;
                lines.append(ToQString(OverlapLine(o)));
            }
            if (setAside > 0) {
                item->setText(kSamplesColumn, tr("%1 (%2 个重叠, 不计入历史)")
                                                  .arg(r.totals.samples)
                                                  .arg(static_cast<qlonglong>(setAside)));
            }
            for (int column : {kFirstColumn, kLastColumn, kSamplesColumn})
                item->setToolTip(column, lines.join(u'\n'));
        }
        item->setText(kIntervalColumn,
                      ToQString(MakeParamTexts(r.header.Params(),
                                               r.instrumentKey.model)[ParamText::Interval]));
        item->setText(kExcursionsColumn, QString::number(r.totals.excursions));
        item->setText(kFilesColumn, FilesText(e.files));
        item->setToolTip(kFilesColumn, FilesToolTip(e.files));
        if (!AllAtHand(e.files)) item->setForeground(kFilesColumn, unusual);
    }
    closeInstrument();
    list_->addTopLevelItems(instruments);
    for (QTreeWidgetItem* instrument : instruments) {
        const qlonglong id = instrument->data(0, kIdRole).toLongLong();
        // A short list opens every instrument; a longer one keeps what the user opened.
        instrument->setExpanded(first ? instruments.size() <= 20
                                      : expanded.count({kInstrumentKind, id}) > 0);
        if (chosen.count({kInstrumentKind, id})) instrument->setSelected(true);
        for (int k = 0; k < instrument->childCount(); ++k) {
            QTreeWidgetItem* child = instrument->child(k);
            if (chosen.count({kRecordingKind, child->data(0, kIdRole).toLongLong()}))
                child->setSelected(true);
        }
    }
    list_->setUpdatesEnabled(true);
    instruments_ = static_cast<int>(instruments.size());
    setWindowTitle(tr("%1  仪器:%2  记录:%3")
                       .arg(QDir::toNativeSeparators(shown_))
                       .arg(instruments_)
                       .arg(entries_.size()));
    UpdateButtons();
}

QTreeWidgetItem* CLibraryView::InstrumentItem(LibraryId instrument) const {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->data(0, kIdRole).toLongLong() == instrument) return item;
    }
    return nullptr;
}

QTreeWidgetItem* CLibraryView::RecordingItem(LibraryId recording) const {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* instrument = list_->topLevelItem(i);
        for (int k = 0; k < instrument->childCount(); ++k) {
            if (instrument->child(k)->data(0, kIdRole).toLongLong() == recording)
                return instrument->child(k);
        }
    }
    return nullptr;
}

const RecordingEntry* CLibraryView::EntryOf(LibraryId recording) const {
    for (const RecordingEntry& e : entries_) {
        if (e.recording.id == recording) return &e;
    }
    return nullptr;
}

LibrarySelection CLibraryView::Selection() const {
    LibrarySelection selection;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* instrument = list_->topLevelItem(i);
        if (instrument->isSelected()) {
            selection.instruments.push_back(instrument->data(0, kIdRole).toLongLong());
            continue;  // its whole history: its recordings are in it
        }
        for (int k = 0; k < instrument->childCount(); ++k) {
            if (instrument->child(k)->isSelected())
                selection.recordings.push_back(instrument->child(k)->data(0, kIdRole).toLongLong());
        }
    }
    selection.from = FromTime();
    selection.to = ToTime();
    return selection;
}

void CLibraryView::UpdateButtons() {
    QTreeWidgetItem* current = list_->currentItem();
    open_->setEnabled(current != nullptr);
    history_->setEnabled(current != nullptr);
    compare_->setEnabled(!list_->selectedItems().isEmpty());
}

void CLibraryView::Open(QTreeWidgetItem* item) {
    if (!item) return;
    const LibraryId id = item->data(0, kIdRole).toLongLong();
    if (item->data(0, kKindRole).toInt() == kInstrumentKind) {
        emit historyChosen({id, 0, FromTime(), ToTime(), item->text(kInstrumentColumn)});
        return;
    }
    const RecordingEntry* entry = EntryOf(id);
    if (!entry) return;
    // Its record file, where it is now; a recording whose files are all gone or changed opens
    // from the library.
    for (const SourceFile& f : entry->files) {
        if (f.state == FileState::kPresent) {
            emit recordFileChosen(ToQString(f.file.path));
            return;
        }
    }
    for (const SourceFile& f : entry->files) {
        if (f.state == FileState::kMoved) {
            emit recordFileChosen(ToQString(f.movedTo));
            return;
        }
    }
    emit historyChosen({entry->recording.instrument, id, std::nullopt, std::nullopt,
                        ToQString(InstrumentName(entry->recording.instrumentKey))});
}

void CLibraryView::OpenChosen() {
    Open(list_->currentItem());
}

void CLibraryView::HistoryChosen() {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item) return;
    if (item->parent()) item = item->parent();
    Open(item);
}

void CLibraryView::CompareChosen() {
    const LibrarySelection selection = Selection();
    if (selection.instruments.empty() && selection.recordings.empty()) {
        ShowInfo(this, tr("请在列表中选出要对比的仪器或记录(按住 Ctrl 可以选几个)。"));
        return;
    }
    emit comparisonChosen(selection);
}

void CLibraryView::AddFolder() {
    FileDialogRequest request;
    request.title = tr("把文件夹中的记录文件加入记录库");
    request.initialPath = QFileInfo(location_).absolutePath();
    request.folder = true;
    const QString path = Prompts().FileName(this, request, nullptr);
    if (!path.isEmpty()) AddPaths({path});
}

void CLibraryView::AddFiles() {
    FileDialogRequest request;
    request.title = tr("把记录文件加入记录库");
    request.initialPath = QFileInfo(location_).absolutePath();
    request.filter = tr("记录文件 (*.QXRec)");
    const QStringList paths = Prompts().FileNames(this, request);
    if (!paths.isEmpty()) AddPaths(paths);
}

struct CLibraryView::Addition {
    QString refused;  // the library could not be opened: why
    int files = 0, added = 0, known = 0, failed = 0;
    QStringList failures, met;
};

CLibraryView::Addition CLibraryView::AddTo(const QString& location,
                                           const std::vector<std::string>& paths) {
    Addition out;
    OpenedLibrary opened = OpenLibrary(ToUtf8(location), LibraryOpen::kCreate);
    if (!opened.library) {
        out.refused = ToQString(WithReason(opened.message, opened.error.detail));
        return out;
    }
    opened.library->AddPaths(paths, [&](const AddResult& r) {
        ++out.files;
        if (r.status == AddStatus::kAdded) ++out.added;
        if (r.status == AddStatus::kKnown || r.status == AddStatus::kCopy) ++out.known;
        const std::vector<std::string> lines = AddResultLines(r);
        if (r.Ok()) {
            // Conflicts and overlaps are told below the counts, as a failure is.
            if (lines.size() > 1 && out.met.size() < kShownFailures) {
                QStringList shown;
                for (size_t k = 1; k < lines.size(); ++k)
                    shown.append(ToQString(lines[k]));
                out.met.append(shown.join(u'\n'));
            }
            return;
        }
        ++out.failed;
        if (out.failures.size() < kShownFailures) {
            QStringList shown;
            for (const std::string& line : lines)
                shown.append(ToQString(line));
            out.failures.append(shown.join(u'\n'));
        }
    });
    return out;
}

void CLibraryView::AddPaths(const QStringList& paths) {
    std::vector<std::string> list;
    for (const QString& p : paths)
        list.push_back(ToUtf8(p));
    if (!IsServerLocation(ToUtf8(shown_))) {
        setCursor(Qt::WaitCursor);
        const Addition addition = AddTo(shown_, list);
        unsetCursor();
        Added(addition);
        return;
    }
    notice_->setText(tr("正在把记录文件加入记录库服务器..."));
    notice_->setVisible(true);
    work_->Run<Addition>([location = shown_, list] { return AddTo(location, list); },
                         [this](Addition& addition) { Added(addition); });
}

void CLibraryView::Added(const Addition& a) {
    if (!a.refused.isEmpty()) {
        Refresh();
        ShowWarning(this, a.refused);
        return;
    }
    Refresh();
    QString text = tr("%1 个文件: 加入 %2 个, 已有 %3 个, 失败 %4 个")
                       .arg(a.files)
                       .arg(a.added)
                       .arg(a.known)
                       .arg(a.failed);
    if (!a.failures.isEmpty())
        text += QStringLiteral("\n\n") + a.failures.join(QStringLiteral("\n\n"));
    if (!a.met.isEmpty()) text += QStringLiteral("\n\n") + a.met.join(QStringLiteral("\n\n"));
    if (a.failed > a.failures.size())
        text += QStringLiteral("\n\n") + tr("另有 %n 个文件没有加入。", nullptr,
                                            a.failed - static_cast<int>(a.failures.size()));
    if (a.failed > 0) {
        ShowWarning(this, text);
    } else {
        ShowInfo(this, text);
    }
}

}  // namespace qx
