#include "support/support.h"

#include "res/strings.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iconv.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;
}

TempDir::TempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/bil-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Give back any rights a test took away, then remove everything.
    for (auto it = std::filesystem::recursive_directory_iterator(
             m_path, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        chmod(it->path().c_str(), 0700);
    chmod(m_path.c_str(), 0700);
    std::filesystem::remove_all(m_path, ec);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::string TestDataPath(const std::string& name)
{
    return std::string(BIL_TEST_DATA_DIR) + "/" + name;
}

int RunInChild(const std::function<int()>& body, bool asNobody, unsigned group)
{
    const pid_t pid = fork();
    if (pid == 0) {
        const gid_t groups[] = {static_cast<gid_t>(group)};
        if (asNobody && geteuid() == 0 &&
            (setgroups(group ? 1 : 0, groups) || setgid(kNobody) || setuid(kNobody)))
            _exit(120);
        _exit(body() & 0xFF);
    }
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status)
                                                                            : -1;
}

void ChownToNobody(const std::string& path)
{
    if (geteuid() == 0 && chown(path.c_str(), kNobody, kNobody) != 0)
        throw std::runtime_error("chown failed: " + path);
}

std::string Windows1250(const std::string& utf8)
{
    iconv_t cd = iconv_open("CP1250", "UTF-8");
    std::string in = utf8, out(utf8.size(), '\0');
    char *src = in.data(), *dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), std::size_t(-1)) << utf8;
    iconv_close(cd);
    out.resize(out.size() - dstLeft);
    return out;
}

std::vector<Record> ReadRecords(const std::string& name)
{
    std::vector<Record> records;
    std::istringstream in(ReadFile(TestDataPath(name)));
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::size_t first = line.find('|'), last = line.rfind('|');
        std::string text = line.substr(first + 1, last - first - 1);
        for (const auto& [escape, bytes] : {std::pair{"\\t", "\t"}, std::pair{"\\r\\n", "\r\n"}})
            for (std::size_t at; (at = text.find(escape)) != std::string::npos;)
                text.replace(at, std::string(escape).size(), bytes);
        records.push_back({std::stoi(line), Windows1250(text), std::stoi(line.substr(last + 1))});
        EXPECT_EQ(records.back().tag, std::int32_t(records.size())) << name << ": out of order";
    }
    EXPECT_EQ(records.size(), 134u) << name;
    return records;
}

std::string EncodeRecords(const std::vector<Record>& records)
{
    std::string out;
    const auto put = [&out](std::int32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            out += char(std::uint32_t(v) >> shift);
    };
    for (const Record& r : records) {
        put(r.tag);
        put(std::int32_t(r.text.size()));
        out += r.text;
        put(r.number);
    }
    return out;
}

int ScriptedHost::MessageBox(const std::string& text, unsigned style)
{
    boxes.push_back({text, style});
    if ((style & 0x0F) != MB_YESNO)
        return IDOK;
    const int answer = answers.empty() ? IDNO : answers.front();
    if (!answers.empty())
        answers.pop_front();
    return answer;
}

bool ScriptedHost::OpenFileName(std::string& path, const std::string& title, const std::string& shown)
{
    if (fileDialogs)
        return fileDialogs->OpenFileName(path, title, shown);
    filter = shown;
    proposal = path;
    path = files.empty() ? "" : files.front();
    if (!files.empty())
        files.pop_front();
    return !path.empty();
}

bool ScriptedHost::SaveFileName(std::string& path, const std::string& title, const std::string& shown)
{
    return fileDialogs ? fileDialogs->SaveFileName(path, title, shown) : OpenFileName(path, title, shown);
}

int ScriptedHost::BoxId(std::size_t i) const
{
    for (int id = 10000; id <= 10030 && i < boxes.size(); ++id)
        if (StringTableUtf8(id) &&
            (boxes[i].text == LoadText(id) || boxes[i].text.starts_with(LoadText(id) + "\n")))
            return id;
    return 0;
}

std::vector<int> ScriptedHost::BoxIds() const
{
    std::vector<int> ids;
    for (std::size_t i = 0; i < boxes.size(); ++i)
        ids.push_back(BoxId(i));
    return ids;
}
