// A Dialogs implementation for tests: questions are answered No, colours
// cancelled, files taken from a queue the test fills; everything asked is
// recorded. Header-only, no toolkit.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "mapdata/dialogs.h"

namespace eld {

class ScriptedDialogs : public Dialogs {
  public:
    std::vector<std::string> messages;     // every Message and AskYesNo text, in order
    std::deque<std::string> file_answers;  // empty queue answers "" (cancel)
    std::vector<std::string> filters;      // filters of the file dialogs, in order
    std::vector<std::string> default_names;

    void Message(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        messages.push_back(text);
        return false;
    }
    std::string OpenFile(const std::string& filter) override {
        filters.push_back(filter);
        if (file_answers.empty()) return "";
        std::string file = file_answers.front();
        file_answers.pop_front();
        return file;
    }
    std::string SaveFile(const std::string& default_name, const std::string& filter) override {
        default_names.push_back(default_name);
        return OpenFile(filter);
    }
    bool ChooseColour(int&, int&, int&) override { return false; }
    void Beep() override {}
};

}  // namespace eld
