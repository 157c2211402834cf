#include "prompter.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace qx {
namespace {

class QtPrompter final : public Prompter {
  public:
    void Message(QWidget* parent, PromptIcon icon, const QString& text) override {
        QMessageBox box(icon == PromptIcon::Warning    ? QMessageBox::Warning
                        : icon == PromptIcon::Question ? QMessageBox::Question
                                                       : QMessageBox::Information,
                        ApplicationTitle(), text, QMessageBox::Ok, parent);
        box.exec();
    }

    bool Confirm(QWidget* parent, const QString& text, const QString& title) override {
        QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Ok | QMessageBox::Cancel,
                        parent);
        box.setDefaultButton(QMessageBox::Ok);
        return box.exec() == QMessageBox::Ok;
    }

    QString FileName(QWidget* parent, const FileDialogRequest& r,
                     QString* selectedFilter) override {
        QFileDialog dialog(parent, r.title, r.initialPath, r.filter);
        dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(r.save     ? QFileDialog::AnyFile
                           : r.folder ? QFileDialog::Directory
                                      : QFileDialog::ExistingFile);
        if (r.folder) dialog.setOption(QFileDialog::ShowDirsOnly, true);
        dialog.setOption(QFileDialog::ReadOnly, false);
        if (!r.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(r.defaultSuffix);
        if (!r.initialPath.isEmpty()) dialog.selectFile(r.initialPath);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        if (selectedFilter) *selectedFilter = dialog.selectedNameFilter();
        return dialog.selectedFiles().front();
    }

    QStringList FileNames(QWidget* parent, const FileDialogRequest& r) override {
        QFileDialog dialog(parent, r.title, r.initialPath, r.filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted) return {};
        return dialog.selectedFiles();
    }

    int Exec(QDialog& dialog) override { return dialog.exec(); }
};

QtPrompter& DefaultPrompter() {
    static QtPrompter prompter;
    return prompter;
}

Prompter* g_prompter = nullptr;

}  // namespace

Prompter& Prompts() {
    return g_prompter ? *g_prompter : DefaultPrompter();
}

void SetPrompter(Prompter* prompter) {
    g_prompter = prompter;
}

void ShowWarning(QWidget* parent, const QString& text) {
    Prompts().Message(parent, PromptIcon::Warning, text);
}

void ShowInfo(QWidget* parent, const QString& text) {
    Prompts().Message(parent, PromptIcon::Information, text);
}

bool AskOkCancel(QWidget* parent, const QString& text, const QString& title) {
    return Prompts().Confirm(parent, text, title);
}

}  // namespace qx
