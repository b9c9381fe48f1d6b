// A Dialogs implementation for tests: answers come from queues filled by the
// test, and everything asked is recorded. Header-only, no toolkit.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "mapdata/dialogs.h"

namespace eld {

class ScriptedDialogs : public Dialogs {
  public:
    std::vector<std::string> messages;     // every Message and AskYesNo text, in order
    std::deque<bool> yes_no_answers;       // empty queue answers No
    std::deque<std::string> file_answers;  // empty queue answers "" (cancel)
    std::vector<std::string> filters;      // filters of the file dialogs, in order
    std::vector<std::string> default_names;
    std::deque<bool> colour_answers;
    int colour_r = 0, colour_g = 0, colour_b = 0;  // colour chosen when answered true
    int beeps = 0;
    std::vector<ScreenPoint> avoided;  // the point of every AskYesNoAwayFrom

    void Message(const std::string& text) override { messages.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        messages.push_back(text);
        return Pop(yes_no_answers, false);
    }
    bool AskYesNoAwayFrom(const std::string& text, ScreenPoint avoid) override {
        avoided.push_back(avoid);
        return AskYesNo(text);
    }
    std::string OpenFile(const std::string& filter) override {
        filters.push_back(filter);
        return Pop(file_answers, std::string());
    }
    std::string SaveFile(const std::string& default_name, const std::string& filter) override {
        default_names.push_back(default_name);
        filters.push_back(filter);
        return Pop(file_answers, std::string());
    }
    bool ChooseColour(int& r, int& g, int& b) override {
        if (!Pop(colour_answers, false)) return false;
        r = colour_r;
        g = colour_g;
        b = colour_b;
        return true;
    }
    void Beep() override { ++beeps; }

  private:
    template <class T>
    static T Pop(std::deque<T>& q, T fallback) {
        if (q.empty()) return fallback;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

}  // namespace eld
