// Fakes for the message box and the file dialog: they record what the code shows and answer as told.
#pragma once

#include "CommonDialog.h"
#include "MessageBox.h"

#include <string>
#include <vector>

struct ShownMessage {
    std::string prompt;
    MsgBoxStyle style;
    std::string title;
};

class FakeMessageBox : public MessageBox {
public:
    std::vector<ShownMessage> shown;
    std::vector<std::string> details;

    void Detail(const std::string& line) override { details.push_back(line); }

protected:
    void Show(const std::string& prompt, MsgBoxStyle style, const std::string& title) override {
        shown.push_back({prompt, style, title});
    }
};

// What the dialog held when it was shown.
struct ShownDialog {
    std::string kind; // "open" or "save"
    std::string title;
    std::string filter;
    std::string fileName;
    std::string defaultExt;
    std::string startFolder; // where the system's dialog would start
};

class FakeDialog : public CommonDialog {
public:
    // The answers to the coming Show calls, in order: a path picks that file, an empty string cancels.
    std::vector<std::string> answers;
    std::vector<ShownDialog> shown;

    bool ShowOpen() override { return Answer("open"); }
    bool ShowSave() override { return Answer("save"); }

private:
    bool Answer(const std::string& kind) {
        shown.push_back({kind, DialogTitle, Filter, FileName, DefaultExt, StartFor(kind == "save").folder});
        const std::string answer = shown.size() <= answers.size() ? answers[shown.size() - 1] : std::string();
        FileName = answer;
        return !answer.empty();
    }
};
