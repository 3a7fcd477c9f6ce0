#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "buffer/operator_services.h"

// Answers the station's questions from a script and records everything it was asked.
// A question with no scripted answer fails the test.
class ScriptedOperator : public OperatorServices {
public:
    struct Message {
        std::string text;
        std::string caption;
        MessageIcon icon;
        MessageButtons buttons;
    };
    struct FileRequest {
        bool save;
        std::string filter;
        std::string defaultExtension;
    };

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon,
                              MessageButtons buttons) override {
        messages.push_back({text, caption, icon, buttons});
        if (whileMessageShown) {
            whileMessageShown();
        }
        if (buttons == MessageButtons::Ok) {
            return MessageAnswer::Ok;
        }
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << text;
            return MessageAnswer::No;
        }
        MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::string AskFileToOpen(const std::string& filter, const std::string& defaultExtension) override {
        return NextFile(false, filter, defaultExtension);
    }
    std::string AskFileToSave(const std::string& filter, const std::string& defaultExtension) override {
        return NextFile(true, filter, defaultExtension);
    }

    int AskResetPolarity() override { return NextPrompt("reset"); }
    int AskBusyPin() override { return NextPrompt("busy"); }
    int AskOutputMode() override { return NextPrompt("output"); }

    void SetWaitCursor(bool on) override {
        waitCursor = on;
        ++waitCursorChanges;
    }

    std::vector<Message> messages;
    std::vector<FileRequest> fileRequests;
    std::vector<std::string> promptsAsked;   // "reset", "busy", "output" in the order asked
    bool waitCursor = false;
    int waitCursorChanges = 0;

    std::deque<MessageAnswer> answers;      // for Yes/No questions
    std::deque<std::string> files;          // chosen paths; "" cancels
    std::deque<int> promptAnswers;          // 1, -1 or 0
    std::function<void()> whileMessageShown;   // to look at the window while a message is up

private:
    std::string NextFile(bool save, const std::string& filter, const std::string& defaultExtension) {
        fileRequests.push_back({save, filter, defaultExtension});
        if (files.empty()) {
            ADD_FAILURE() << "unscripted file request";
            return "";
        }
        std::string file = files.front();
        files.pop_front();
        return file;
    }
    int NextPrompt(const char* which) {
        promptsAsked.push_back(which);
        if (promptAnswers.empty()) {
            ADD_FAILURE() << "unscripted " << which << " prompt";
            return 0;
        }
        int answer = promptAnswers.front();
        promptAnswers.pop_front();
        return answer;
    }
};
