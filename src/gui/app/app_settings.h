// The program's persistent settings: read once at start, written at exit; the recent files are
// also written whenever they change, so that another running copy or a crash loses none. They live
// in QSettings("Vornak", "QX_CHN"), on Linux ~/.config/Vornak/QX_CHN.conf:
//
//   [WINSIZE]    Cx = 1000, Cy = 700             main window size remembered at closing
//   [READPARAM]  DevType = 6                      the current instrument type
//                ReadParamInterval = 1            status polling interval, 1..5 s
//                EnAutoReadParam                  written only: every start polls automatically
//   [TREND]      TrendPos = 1                     record browser arrangement
//                ShowStat = 0                     record browser statistics panel shown (1)
//                StatShare = -1                   the statistics panel's share of the browser's
//                                                 width beside its control panel, 1/10000;
//                                                 -1 until the user drags its splitter
//   [RECORD]     MaxN = 432000                    never below 14400
//                DatRecFile = ""                  the last record file
//   [Recent File List]  File1..File8              the recent files, most recent first
//   [Workspace]  ApplicationLook                  written when the look changes, never read
//                Language = auto                  auto, zh or en; written when chosen in the
//                                                 View menu, read at start (qxlog-cli reads it too)
#pragma once

#include <QString>
#include <QStringList>

#include "core/model/language.h"
#include "core/records/browser_layout.h"

class QSettings;

namespace qx {

class AppSettings {
  public:
    static constexpr const char* kOrganisation = kSettingsOrganisation;
    static constexpr const char* kApplication = kSettingsApplication;
    static constexpr int kRecentFileCount = 8;
    static constexpr int kMinMaxN = 14400;

    int cx = 1000;
    int cy = 700;
    int devType = 6;
    int readParamInterval = 1;    // seconds, 1..5
    bool enAutoReadParam = true;  // on at every start
    int trendPos = 1;
    bool showStat = false;
    int statShare = kAutoStatisticsShare;
    int maxN = 432000;
    QString datRecFile;

    // Reads every value from the program's store (or from `store`); missing values take the
    // defaults above. "EnAutoReadParam" is not read: automatic reading starts on.
    void Load();
    void Load(QSettings& store);
    // Writes every value and the recent-file list.
    void Save() const;
    void Save(QSettings& store) const;
    // Writes the recent-file list alone.
    void SaveRecentFiles() const;
    void SaveRecentFiles(QSettings& store) const;

    // Recent files, most recent first, at most kRecentFileCount, each path once.
    const QStringList& RecentFiles() const { return recent_; }
    // Puts a path at the top; an entry naming the same file moves up instead of repeating.
    void AddRecentFile(const QString& path);
    // Removes the entry naming the same file; false when there is none.
    bool RemoveRecentFile(const QString& path);
    void ClearRecentFiles() { recent_.clear(); }

    // Writes "ApplicationLook" to the workspace section at once (the look is not read back).
    static void WriteApplicationLook(int look);
    static void WriteApplicationLook(QSettings& store, int look);

    // "[Workspace] Language", read and written on its own: the language is chosen before any
    // window exists, and a choice is kept at once for the next start.
    static LanguageChoice ReadLanguage();
    static LanguageChoice ReadLanguage(QSettings& store);
    static void WriteLanguage(LanguageChoice choice);
    static void WriteLanguage(QSettings& store, LanguageChoice choice);

    // Two paths name the same file: compared as cleaned absolute paths.
    static bool SamePath(const QString& a, const QString& b);

  private:
    QStringList recent_;
};

}  // namespace qx
