#pragma once
// A message host for tests: records every box and file dialog, answers from
// queues. Installed for its lifetime.

#include "model/messages.h"

#include <deque>
#include <string>
#include <vector>

struct RecordedBox {
    std::string text; // Windows-1250, as shown
    unsigned style;
};

class ScriptedHost : public IMessageHost {
public:
    ScriptedHost();
    ~ScriptedHost() override;
    ScriptedHost(const ScriptedHost&) = delete;
    ScriptedHost& operator=(const ScriptedHost&) = delete;

    int MessageBox(const std::string& text, unsigned style) override;
    bool OpenFileName(std::string& path, const std::string& title,
                      const std::string& filter) override;

    // Answers for Yes/No boxes, in order; an empty queue answers No.
    std::deque<int> answers;
    // Paths the file dialog returns, in order; an empty string cancels, an
    // empty queue cancels too.
    std::deque<std::string> files;

    std::vector<RecordedBox> boxes;
    struct Browse {
        std::string title;
        std::string filter;
    };
    std::vector<Browse> browses;

    // The string-table id whose text the i-th box showed, or 0.
    int BoxId(std::size_t i) const;

private:
    IMessageHost* m_previous;
};
