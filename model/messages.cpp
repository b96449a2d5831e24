#include "model/messages.h"

#include "model/cp1250.h"
#include "res/strings.h"

#include "model/fileio.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

IMessageHost* g_host = nullptr;

// True when the file name part of `path` has an extension: a dot that is
// neither missing nor the last character.
bool HasExtension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    return dot != std::string::npos && dot >= nameStart && dot + 1 < path.size();
}

} // namespace

IMessageHost* SetMessageHost(IMessageHost* host)
{
    IMessageHost* old = g_host;
    g_host = host;
    return old;
}

IMessageHost* GetMessageHost()
{
    return g_host;
}

int AppMessageBox(const std::string& text, unsigned style)
{
    if (g_host)
        return g_host->MessageBox(text, style);
    std::string utf8;
    if (!cp1250::ToUtf8(text, utf8).ok)
        utf8 = text;
    std::fprintf(stderr, "bil: %s\n", utf8.c_str());
    return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

void LoadText(std::string& text, int id)
{
    if (const char* utf8 = StringTableUtf8(id))
        text = cp1250::Literal(utf8);
    else
        text = "Load string error ...";
}

std::string LoadText(int id)
{
    std::string text;
    LoadText(text, id);
    return text;
}

bool AskYesNo(int id, unsigned flags)
{
    return AppMessageBox(LoadText(id), flags | MB_YESNO) == IDYES;
}

void ShowMessage(int id)
{
    AppMessageBox(LoadText(id), MB_OK);
}

std::string FileErrorReason(int error)
{
    const char* text = nullptr;
    switch (error) {
    case ENOSPC: text = "Na disku není volné místo."; break;
    case EACCES:
    case EPERM: text = "K zápisu nemáte oprávnění."; break;
    case EROFS: text = "Svazek je jen pro čtení."; break;
    case EIO: text = "Chyba disku."; break;
    case ENOENT: text = "Složka už neexistuje."; break;
    case EFBIG:
    case EDQUOT: text = "Soubor je příliš velký nebo je překročena kvóta."; break;
    case fileio::kNotRegularFile: text = "Nejde o obyčejný soubor."; break;
    default: break;
    }
    if (text)
        return cp1250::Literal(text);
    // The system's own words, in whatever language it speaks.
    return cp1250::Literal("Systém hlásí chybu ") + std::to_string(error) + ". " +
           cp1250::FromUtf8Lossy(std::strerror(error));
}

std::string FileErrorText(int id, const std::string& path, int error)
{
    std::string text = LoadText(id);
    if (error != 0)
        text += "\n" + cp1250::FromUtf8Lossy(path) + ": " + FileErrorReason(error);
    return text;
}

std::string WithExtension(const std::string& path, const std::string& ext)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? path.substr(0, dot) : path) + ext;
}

bool TakeFileName(const std::string& chosen, const std::string& defExt, std::string& result)
{
    if (chosen.empty() || cp1250::Utf8Length(chosen) >= std::size_t{kMaxPathChars})
        return false;
    result = chosen;
    if (!HasExtension(result))
        result += defExt;
    return true;
}

bool BrowseFileName(std::string& result, const std::string& title, const std::string& filter,
                    const std::string& defExt, const std::string& start)
{
    result.clear();
    std::string chosen = start;
    return g_host && g_host->OpenFileName(chosen, title, filter) &&
           TakeFileName(chosen, defExt, result);
}

bool SaveFileName(std::string& result, const std::string& title, const std::string& filter,
                  const std::string& defExt)
{
    std::string chosen = result;
    return g_host && g_host->SaveFileName(chosen, title, filter) &&
           TakeFileName(chosen, defExt, result);
}
