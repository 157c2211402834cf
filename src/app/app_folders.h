// The program folder and the data folder "DAT" where record files are proposed and saved.
//
// The data folder is "DAT" inside the program folder, created when it is missing. On Linux the
// program is often installed where users cannot write (/usr/bin, /opt/...): when that "DAT"
// can neither be used nor created, the data folder is the per-user
// QStandardPaths::AppDataLocation + "/DAT" (for QCoreApplication organisation "Vornak" and
// application "QX_CHN": ~/.local/share/Vornak/QX_CHN/DAT), created when missing.
#pragma once

#include <QString>

namespace qx {

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

// Chooses (and creates when missing) the data folder for a program folder by the rule above.
DataFolderChoice ChooseDataFolder(const QString& programFolder);

// The folder of the running program (QCoreApplication::applicationDirPath()).
QString ProgramFolder();

}  // namespace qx
