#pragma once

// A dialogs port that records what the logic asks and answers from a script.

#include "shop/dialog_port.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace sw::test {

class RecordingDialogs : public DialogPort {
public:
    struct Message {
        std::string text;
        std::string title;
        MessageIcon icon;
    };

    void ShowMessage(std::string_view text, std::string_view title, MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(title), icon});
    }
    std::optional<std::string> ChooseSaveFile(const SaveDialogRequest& request) override {
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    std::optional<std::string> ChooseFolder(std::string_view caption) override {
        folderCaptions.emplace_back(caption);
        return Next(folderAnswers);
    }
    void OpenAddress(std::string_view address) override { openedAddresses.emplace_back(address); }

    std::vector<Message> messages;
    std::vector<SaveDialogRequest> saveRequests;
    std::deque<std::optional<std::string>> saveAnswers;
    std::vector<std::string> folderCaptions;
    std::deque<std::optional<std::string>> folderAnswers;
    std::vector<std::string> openedAddresses;

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace sw::test
