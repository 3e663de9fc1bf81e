#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Dialogs.h"

namespace korvalin::testing {

// Records every dialog and answers from scripted queues; an unscripted message box
// answers IdOk and an unscripted input query is cancelled.
class FakeDialogs final : public Dialogs {
public:
    struct Message {
        std::string text;
        std::string caption;
        unsigned style;
    };

    std::vector<Message> messages;
    std::deque<int> answers;               // results of the next message boxes
    std::deque<std::string> inputAnswers;  // texts of the next input queries
    std::vector<std::string> inputPrompts;
    std::vector<std::string> inputCaptions;
    std::vector<std::string> inputProposals;  // the text each input query started with

    int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
        messages.push_back({text, caption, style});
        if (answers.empty()) {
            return IdOk;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override {
        inputPrompts.push_back(prompt);
        inputCaptions.push_back(caption);
        inputProposals.push_back(value);
        if (inputAnswers.empty()) {
            return false;
        }
        value = inputAnswers.front();
        inputAnswers.pop_front();
        return true;
    }
};

}  // namespace korvalin::testing
