// CLibraryView: the record library in the window. On the left the filter (model, instrument
// number, measurement name, a time range, only recordings with excursions), the library's own
// commands (add a folder or files, refresh) and the commands on the chosen lines (open,
// history, compare); on the right the instruments, each with its recordings below it: time
// span, samples, measurement name, recording interval, excursions against the recording's own
// limits and its record files with their states (a file moved or missing is shown as such).
//
// The view reads the library only through RecordLibrary (OpenLibrary at its location) and
// opens it for each operation. What is to be opened goes to the owner by signals: a recording
// whose record file is at hand as that file (opened as File -> Open opens it), an instrument
// (or a recording whose file is gone) as a history from the library, the chosen instruments
// and recordings with the time range as a comparison.
//
// The status line "%1  仪器:%2  记录:%3" (the library file, the instruments and the
// recordings listed) is the view's windowTitle(); the main window follows it in its caption.
#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/library/library_selection.h"
#include "core/library/record_library.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qx {

class CBackgroundWork;

// A history to open from the library: an instrument's recordings (recording 0) or one
// recording, in a time range; label names it in the title ("QX450:A0815").
struct HistoryChoice {
    LibraryId instrument = 0;
    LibraryId recording = 0;
    std::optional<int64_t> from, to;
    QString label;
};

class CLibraryView : public QWidget {
    Q_OBJECT
  public:
    // Columns of the list.
    enum Column {
        kInstrumentColumn,
        kNameColumn,
        kFirstColumn,
        kLastColumn,
        kSamplesColumn,
        kIntervalColumn,
        kExcursionsColumn,
        kFilesColumn,
        kColumnCount
    };

    explicit CLibraryView(QWidget* parent = nullptr);

    // The library to show (a file path or a server's address); read at the next Refresh().
    // fallback: the PC's own library, shown with a notice while the server cannot be used.
    void SetLocation(const QString& location, const QString& fallback = {});
    const QString& Location() const { return location_; }
    // The library the list shows and adds to: Location(), or the fallback in its place.
    const QString& ShownLocation() const { return shown_; }

    // Reads the library again with the filter's conditions and fills the list; a library that
    // is not there yet is an empty list with a hint, one that cannot be read a message in the
    // list's place. Keeps the expanded instruments and the chosen lines where they still show.
    // A library on a server is read on a worker thread (Work()): the list is filled when it has
    // answered, and meanwhile the notice says it is being read.
    void Refresh();
    // The view's work that waits on a server; tests wait for it with Work().WaitIdle().
    CBackgroundWork& Work() { return *work_; }
    // The filter's conditions as the library takes them.
    LibraryFilter Filter() const;
    // The instruments and recordings chosen in the list, and the filter's time range.
    LibrarySelection Selection() const;

    // Adds files and folders to the library (made when missing), refreshes and says what was
    // added, and why any file was not.
    void AddPaths(const QStringList& paths);

    // Commands of the buttons (tests call them as the buttons do).
    void AddFolder();
    void AddFiles();
    void OpenChosen();     // "打开": the current line, as a double click opens it
    void HistoryChosen();  // "仪器历史": the current line's instrument in the time range
    void CompareChosen();  // "对比...": the chosen lines

    // What the list shows.
    QTreeWidget* List() const { return list_; }
    const std::vector<RecordingEntry>& Entries() const { return entries_; }
    QComboBox* ModelChoice() const { return model_; }
    QLineEdit* NumberEdit() const { return number_; }
    QLineEdit* NameEdit() const { return name_; }
    QCheckBox* TimeBox() const { return timeBox_; }
    QDateEdit* FromDate() const { return fromDate_; }
    QDateEdit* ToDate() const { return toDate_; }
    QCheckBox* ExcursionsBox() const { return excursions_; }
    QLabel* Notice() const { return notice_; }
    QPushButton* CompareButton() const { return compare_; }
    // The line of a recording (nullptr when not listed).
    QTreeWidgetItem* RecordingItem(LibraryId recording) const;
    QTreeWidgetItem* InstrumentItem(LibraryId instrument) const;

  signals:
    void recordFileChosen(const QString& path);
    void historyChosen(const qx::HistoryChoice& choice);
    void comparisonChosen(const qx::LibrarySelection& selection);

  private:
    struct Listing;
    struct Addition;
    // What the library at location (or its fallback) lists; on a worker thread for a server.
    static Listing Read(const QString& location, const QString& fallback,
                        const LibraryFilter& filter);
    static Addition AddTo(const QString& location, const std::vector<std::string>& paths);
    void Show(Listing& listing);
    void Added(const Addition& addition);
    void CreateControls();
    void Fill();
    void Open(QTreeWidgetItem* item);
    void UpdateButtons();
    std::optional<int64_t> FromTime() const;
    std::optional<int64_t> ToTime() const;
    const RecordingEntry* EntryOf(LibraryId recording) const;

    QString location_;
    QString fallback_;
    QString shown_;
    std::vector<RecordingEntry> entries_;
    int instruments_ = 0;
    CBackgroundWork* work_ = nullptr;
    int generation_ = 0;  // of the latest Refresh(): an older reading that ends later is dropped

    QComboBox* model_ = nullptr;
    QLineEdit* number_ = nullptr;
    QLineEdit* name_ = nullptr;
    QCheckBox* timeBox_ = nullptr;
    QDateEdit* fromDate_ = nullptr;
    QDateEdit* toDate_ = nullptr;
    QCheckBox* excursions_ = nullptr;
    QPushButton* open_ = nullptr;
    QPushButton* history_ = nullptr;
    QPushButton* compare_ = nullptr;
    QLabel* notice_ = nullptr;
    QTreeWidget* list_ = nullptr;
};

}  // namespace qx
