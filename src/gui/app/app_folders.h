// The program folder, the folder of the help document, and the data folder "DAT" where record
// files are proposed and saved.
//
// Two layouts are recognised. A program folder holding the help document "帮助.mht" (a build
// folder, a folder copied as a whole) keeps everything beside the program: the help document
// is read there and the data folder is "DAT" inside it, created when missing; when that "DAT"
// can neither be used nor created, the per-user folder below is taken instead. An installed
// program (<prefix>/bin/qxlog) finds the help document in its data folder
// (<prefix>/share/qxlog, reached from the program folder by a relative path the build
// records) and never writes beside itself: its data folder is the per-user
// QStandardPaths::AppDataLocation + "/DAT" (for QCoreApplication organisation "Vornak" and
// application "QX_CHN": ~/.local/share/Vornak/QX_CHN/DAT), created when missing.
#pragma once

#include <QString>

#include "core/model/language.h"

namespace qx {

// The help documents' file names: the Chinese one, which every layout holds, and the English
// one beside it.
inline constexpr const char* kHelpDocumentName = NoTr("帮助.mht");
inline constexpr const char* kEnglishHelpDocumentName = "Help.mht";

// The folder of a program file: the text before the last '/' or '\'. A separator right after
// a drive ("C:\logger.exe" gives "C:\") or at the very start ("/logger" gives "/") is kept;
// a bare file name gives "".
QString ProgramFolderOf(const QString& programFile);

// "DAT" joined to a folder with the folder's own separator ('\' when it uses backslashes,
// else '/'), without doubling a separator the folder already ends with.
QString DataFolderOf(const QString& programFolder);

struct DataFolderChoice {
    QString path;          // the data folder to use
    bool created = false;  // it did not exist and was created
    bool perUser = false;  // the per-user fallback was taken
    bool usable = false;   // it exists and can be written (file dialogs still propose it if not)
};

// Chooses (and creates when missing) the data folder for a program folder by the rules above;
// an installed program goes straight to the per-user folder.
DataFolderChoice ChooseDataFolder(const QString& programFolder, bool installed = false);

struct ProgramLayout {
    QString programFolder;   // the folder of the program file
    QString helpFolder;      // the folder to read "帮助.mht" from
    bool installed = false;  // the help document was found in the installed data folder
};

// The layout of a program folder. `installedDataFolder` is the path from the program folder
// to the installed data folder ("../share/qxlog" for the usual prefix layout). When neither
// place holds the help document the program folder is used for both (the help view then says
// the document is missing).
ProgramLayout FindProgramLayout(const QString& programFolder, const QString& installedDataFolder);

// The path from the program folder to the installed data folder that this build was
// configured with.
QString InstalledDataFolderFromProgram();

// The folder of the running program (QCoreApplication::applicationDirPath()).
QString ProgramFolder();

}  // namespace qx
