// A prompter for window tests: records every prompt and answers from queues that the test
// fills beforehand. Unanswered confirmations say OK, unanswered file dialogs cancel, and
// unanswered modal dialogs are accepted as they stand.
#pragma once

#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "gui/common/prompter.h"

namespace qx::test {

class ScriptedPrompter final : public Prompter {
  public:
    struct Shown {
        PromptIcon icon;
        QString text;
    };

    ScriptedPrompter() { SetPrompter(this); }
    ~ScriptedPrompter() override { SetPrompter(nullptr); }

    std::vector<Shown> messages;  // every message box and question, in order
    std::vector<FileDialogRequest> fileRequests;
    std::deque<bool> confirmAnswers;    // answers to Confirm
    std::deque<QString> fileAnswers;    // answers to FileName ("" = cancel)
    std::deque<QString> filterAnswers;  // selected filters that go with fileAnswers
    // Each handler gets the dialog before it would be shown modally and returns its result.
    std::deque<std::function<int(QDialog&)>> dialogHandlers;
    std::vector<QString> dialogTitles;

    void Message(QWidget*, PromptIcon icon, const QString& text) override {
        messages.push_back({icon, text});
    }
    bool Confirm(QWidget*, const QString& text, const QString&) override {
        messages.push_back({PromptIcon::Question, text});
        if (confirmAnswers.empty()) return true;
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    QString FileName(QWidget*, const FileDialogRequest& request, QString* filter) override {
        fileRequests.push_back(request);
        if (fileAnswers.empty()) return {};
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        if (!filterAnswers.empty()) {
            if (filter) *filter = filterAnswers.front();
            filterAnswers.pop_front();
        }
        return answer;
    }
    int Exec(QDialog& dialog) override {
        dialogTitles.push_back(dialog.windowTitle());
        if (dialogHandlers.empty()) {
            dialog.accept();
            return QDialog::Accepted;
        }
        auto handler = std::move(dialogHandlers.front());
        dialogHandlers.pop_front();
        return handler(dialog);
    }

    QString LastMessage() const { return messages.empty() ? QString() : messages.back().text; }
};

}  // namespace qx::test
