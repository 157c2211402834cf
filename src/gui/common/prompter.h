// The one seam for every modal prompt of the program: message boxes, confirmations, file
// dialogs and modal dialogs. Windows call the functions below; the default prompter shows real
// Qt dialogs, tests install a scripted one that answers and records what was asked.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace qx {

// Caption of every message box, as written; ApplicationTitle() gives it in the current language.
inline constexpr const char* kApplicationTitle = QT_TRANSLATE_NOOP("qx::Prompter", "QX软件");

inline QString ApplicationTitle() {
    return QCoreApplication::translate("qx::Prompter", kApplicationTitle);
}

// The buttons every dialog of the program shares, translated once.
inline QString OkButtonText() {
    return QCoreApplication::translate("qx::Prompter", "确定(&O)");
}
inline QString CancelButtonText() {
    return QCoreApplication::translate("qx::Prompter", "取消(&C)");
}

enum class PromptIcon { Information, Warning, Question };

struct FileDialogRequest {
    QString title;          // "打开记录文件", ...
    QString initialPath;    // proposed file name, possibly with a folder
    QString filter;         // Qt filter text, e.g. "记录文件 (*.QXRec)"
    QString defaultSuffix;  // "QXRec"; appended when the user types none
    bool save = false;      // save dialog (prompts before overwriting) or open dialog
    bool folder = false;    // an open dialog that chooses an existing folder
};

class Prompter {
  public:
    virtual ~Prompter() = default;
    // A message box with the application title, an icon and an OK button.
    virtual void Message(QWidget* parent, PromptIcon icon, const QString& text) = 0;
    // An OK / Cancel question with the question icon; true on OK.
    virtual bool Confirm(QWidget* parent, const QString& text, const QString& title) = 0;
    // The chosen path, or an empty string when cancelled. When the request offers several
    // filters, *selectedFilter (if given) receives the one chosen.
    virtual QString FileName(QWidget* parent, const FileDialogRequest& request,
                             QString* selectedFilter) = 0;
    // An open dialog that chooses one or more existing files; none when cancelled. By default
    // the one file FileName() chooses.
    virtual QStringList FileNames(QWidget* parent, const FileDialogRequest& request) {
        const QString one = FileName(parent, request, nullptr);
        return one.isEmpty() ? QStringList() : QStringList{one};
    }
    // Runs a modal dialog and returns its result (QDialog::Accepted or Rejected).
    virtual int Exec(QDialog& dialog) = 0;
};

// The prompter in use. SetPrompter(nullptr) restores the one that shows real dialogs.
Prompter& Prompts();
void SetPrompter(Prompter* prompter);

// Shorthands: the warning (exclamation) and information message boxes.
void ShowWarning(QWidget* parent, const QString& text);
void ShowInfo(QWidget* parent, const QString& text);
bool AskOkCancel(QWidget* parent, const QString& text, const QString& title = ApplicationTitle());

}  // namespace qx
