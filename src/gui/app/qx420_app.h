// CQX420App: the program's start-up and exit. It reads the settings, finds the program and
// data folders, creates the main window with its three views on the chosen instrument backend
// (real instruments, or simulated ones for --simulate), shows it, opens a record file named on
// the command line, and writes the settings back at exit.
//
//   qxlog [--lang zh|en] [--simulate MODEL[,MODEL...]] [RECORD-FILE]
//   qxlog [--lang zh|en] --print-pdf OUT.pdf [--report list|chart|summary] RECORD-FILE
//         [query options]
//   qxlog [--lang zh|en] --print-pdf OUT.pdf --report compare [--library FILE] --series ID
//         [--limit LOW,HIGH] INSTRUMENT... [query options]
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app_folders.h"
#include "app_settings.h"
#include "core/records/record_query.h"
#include "main_frame.h"

namespace qx {

inline constexpr int kPrintComparison = 3;

struct StartOptions {
    // Simulated instruments instead of real ones, in bus order.
    std::vector<InstrumentTypeId> simulate;
    // A record file to open once the window is up.
    QString recordFile;
    // --print-pdf: the PDF to write from the record file, without a window; empty otherwise.
    QString printPdf;
    int printChoice = 1;      // --report list (1, the report), chart (0), summary (2) or
                              // compare (kPrintComparison)
    QueryRequest printQuery;  // the query options of qxlog-cli export
    // --report compare: the instruments of the record library (as qxlog-cli library compare
    // names them), the library (empty: the default), the quantity's id and the limits given.
    QStringList compareInstruments;
    QString library;
    QString compareSeries;
    QString compareLimits;
    // --sign KEY.p12 --meaning M [--passphrase-file F]: the PDF is signed once it is written.
    QString signKey;
    QString signMeaning;
    QString passphraseFile;
    // --lang zh|en: the language of this run, whatever the setting and the locale.
    std::optional<LanguageChoice> language;
};

// Parses the arguments after the program name. False with a message for a bad argument.
// Its messages and the usage are in the language installed (InstallLanguage).
bool ParseStartOptions(const QStringList& arguments, StartOptions& options, QString& error);
QString StartUsage();
// The language of a valid --lang among the arguments, before they are parsed: the usage and
// the messages of a bad argument are in it.
std::optional<LanguageChoice> StartLanguage(const QStringList& arguments);

// The arguments of a restart: the same ones without --lang and its value, so that the program
// starts in the language of the setting.
QStringList RestartArguments(const QStringList& arguments);

// Simulated instruments of the given models, ready to be connected: each with its settings
// and days of recorded readings. The last one (the one the device choice proposes) has
// finished its recording, so that its clock can be set at once; the others are still
// recording.
std::unique_ptr<HidLibrary> MakeSimulatedInstruments(const std::vector<InstrumentTypeId>& models,
                                                     UtcClock clock = SystemUtcNow);

class CQX420App {
  public:
    using HidFactory = std::function<std::unique_ptr<HidLibrary>()>;

    // realInstruments: the backend for attached instruments (hidapi in the program).
    explicit CQX420App(HidFactory realInstruments);
    ~CQX420App();
    CQX420App(const CQX420App&) = delete;
    CQX420App& operator=(const CQX420App&) = delete;

    // Start-up, in order: settings, folders, main window (device panel first), the two further
    // views, shown; then the record file of the command line is opened (and joins the recent
    // files when it opens). env.hid, when given, replaces the backend chosen by the options.
    // False ends the program.
    bool InitInstance(const StartOptions& options, CMainFrame::Environment env = {});
    // Writes the settings: the window size remembered at closing, the instrument type, the
    // polling settings, MaxN, the record file and the record browser's arrangement.
    void ExitInstance();
    // The window closed for a restart (a new language chosen): after ExitInstance, StartAgain
    // starts the program again.
    bool RestartRequested() const;
    // Starts this program again, detached, with RestartArguments(arguments) (those after the
    // program name, as given); warns when it cannot be started.
    static bool StartAgain(const QStringList& arguments);

    AppSettings& Settings() { return settings_; }
    CMainFrame* MainFrame() const { return frame_.get(); }
    const ProgramLayout& Layout() const { return layout_; }
    const DataFolderChoice& DataFolderUsed() const { return dataFolder_; }

  private:
    HidFactory realInstruments_;
    AppSettings settings_;
    ProgramLayout layout_;
    DataFolderChoice dataFolder_;
    std::unique_ptr<CMainFrame> frame_;
};

}  // namespace qx
