#include "app_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

namespace qx {
namespace {

bool IsWritableFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

// Makes the folder (and its parents) unless a folder of that name exists.
bool EnsureFolder(const QString& path, bool* created) {
    if (QFileInfo(path).isDir()) return true;
    if (QFileInfo::exists(path)) return false;  // a file of that name is in the way
    if (!QDir().mkpath(path)) return false;
    *created = true;
    return true;
}

}  // namespace

QString ProgramFolderOf(const QString& programFile) {
    const qsizetype cut = std::max(programFile.lastIndexOf(u'/'), programFile.lastIndexOf(u'\\'));
    if (cut < 0) return {};
    if (cut == 0 || programFile[cut - 1] == u':') return programFile.left(cut + 1);
    return programFile.left(cut);
}

QString DataFolderOf(const QString& programFolder) {
    const QChar sep = programFolder.contains(u'\\') && !programFolder.contains(u'/') ? u'\\' : u'/';
    if (programFolder.isEmpty()) return QStringLiteral("DAT");
    if (programFolder.endsWith(u'/') || programFolder.endsWith(u'\\'))
        return programFolder + QStringLiteral("DAT");
    return programFolder + sep + QStringLiteral("DAT");
}

DataFolderChoice ChooseDataFolder(const QString& programFolder, bool installed) {
    DataFolderChoice choice;
    choice.path = DataFolderOf(programFolder);
    if (!installed && EnsureFolder(choice.path, &choice.created) && IsWritableFolder(choice.path)) {
        choice.usable = true;
        return choice;
    }
    // The program's own folder cannot hold the data: a per-user folder instead.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!base.isEmpty()) {
        DataFolderChoice perUser;
        perUser.path = QDir::cleanPath(base + QStringLiteral("/DAT"));
        perUser.perUser = true;
        if (EnsureFolder(perUser.path, &perUser.created) && IsWritableFolder(perUser.path)) {
            perUser.usable = true;
            return perUser;
        }
    }
    return choice;  // unusable, but the file dialogs still propose paths inside it
}

ProgramLayout FindProgramLayout(const QString& programFolder, const QString& installedDataFolder) {
    ProgramLayout layout;
    layout.programFolder = programFolder;
    layout.helpFolder = programFolder;
    const QString helpName = QString::fromUtf8(kHelpDocumentName);
    if (QFileInfo(QDir(programFolder).filePath(helpName)).isFile()) return layout;
    if (installedDataFolder.isEmpty()) return layout;
    const QString shared = QDir::cleanPath(QDir(programFolder).filePath(installedDataFolder));
    if (QFileInfo(QDir(shared).filePath(helpName)).isFile()) {
        layout.helpFolder = shared;
        layout.installed = true;
    }
    return layout;
}

QString InstalledDataFolderFromProgram() {
#ifdef QX_INSTALLED_DATA_FOLDER
    return QStringLiteral(QX_INSTALLED_DATA_FOLDER);
#else
    return QStringLiteral("../share/qxlog");
#endif
}

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

}  // namespace qx
