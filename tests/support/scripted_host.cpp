#include "support/scripted_host.h"

#include "res/strings.h"

ScriptedHost::ScriptedHost() : m_previous(SetMessageHost(this)) {}

ScriptedHost::~ScriptedHost()
{
    SetMessageHost(m_previous);
}

int ScriptedHost::MessageBox(const std::string& text, unsigned style)
{
    boxes.push_back({text, style});
    if ((style & 0x0F) != MB_YESNO)
        return IDOK;
    if (answers.empty())
        return IDNO;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

bool ScriptedHost::OpenFileName(std::string& path, const std::string& title,
                                const std::string& filter)
{
    browses.push_back({title, filter});
    if (files.empty())
        return false;
    path = files.front();
    files.pop_front();
    return !path.empty();
}

int ScriptedHost::BoxId(std::size_t i) const
{
    if (i >= boxes.size())
        return 0;
    for (int id = kFirstStringId; id <= kLastStringId; ++id)
        if (StringTableUtf8(id) && LoadText(id) == boxes[i].text)
            return id;
    return 0;
}
