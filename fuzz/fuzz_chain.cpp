// Arbitrary bytes through the whole chain of a statement file: load, check,
// build the text, save, load the saved file again. Besides the sanitizers,
// each input is parsed a second time by a plain reading of the record format
// and every step must agree with it:
// - the load has the same outcome and values; a failed load leaves every
//   value empty with the read error pending;
// - a loaded file saves, and the saved bytes are exactly the records of the
//   loaded values (texts cut at their first zero byte, nothing after the last
//   record), which load back to the same statement;
// - the text is built and ends a line; both documents pass the same rules.

#include "model/document.h"
#include "model/messages.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

// Save syncs every file to disk, which on a disk costs more than the rest of
// a run; a memory file system makes that nearly free. TMPDIR still wins.
std::filesystem::path TempBase()
{
    if (!std::getenv("TMPDIR") && access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return std::filesystem::temp_directory_path();
}

struct Setup {
    Setup()
    {
        SetMessageHost(&host);
        std::string pattern = (TempBase() / "bil-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder = pattern;
        input = folder + "/input.bil";
        saved = folder + "/saved.bil";
    }
    ~Setup()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    SilentMessageHost host;
    std::string folder;
    std::string input;
    std::string saved;
};

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::perror("open");
        std::abort();
    }
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n <= 0) {
            std::perror("write");
            std::abort();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    close(fd);
}

std::string ReadFile(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::perror("open");
        std::abort();
    }
    std::string bytes;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(n));
    if (n < 0) {
        std::perror("read");
        std::abort();
    }
    close(fd);
    return bytes;
}

struct Expected {
    std::string text;
    std::int32_t number = 0;
};

// The record format read straight from the bytes. The loader's caps on text
// sizes (16 MiB a text, 64 MiB in all) lie beyond the fuzzer's input length.
bool Parse(const std::uint8_t* data, std::size_t size, Expected (&items)[kItemCount + 1])
{
    std::size_t at = 0;
    auto int32 = [&](std::int32_t& v) {
        if (size - at < 4)
            return false;
        v = static_cast<std::int32_t>(std::uint32_t(data[at]) | std::uint32_t(data[at + 1]) << 8 |
                                      std::uint32_t(data[at + 2]) << 16 |
                                      std::uint32_t(data[at + 3]) << 24);
        at += 4;
        return true;
    };
    for (int tag = 1; tag <= kItemCount; ++tag) {
        std::int32_t fileTag = 0;
        std::int32_t length = 0;
        if (!int32(fileTag) || fileTag != tag || !int32(length))
            return false;
        if (length > 0) {
            if (size - at < static_cast<std::size_t>(length))
                return false;
            const char* text = reinterpret_cast<const char*>(data + at);
            items[tag].text.assign(text, strnlen(text, static_cast<std::size_t>(length)));
            at += static_cast<std::size_t>(length);
        }
        if (!int32(items[tag].number))
            return false;
    }
    return true;
}

void PutInt32(std::string& out, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>(u >> shift);
}

// The bytes a statement with these values must be saved as.
std::string Canonical(const Expected (&items)[kItemCount + 1])
{
    std::string out;
    for (int tag = 1; tag <= kItemCount; ++tag) {
        PutInt32(out, tag);
        PutInt32(out, static_cast<std::int32_t>(items[tag].text.size()));
        out += items[tag].text;
        PutInt32(out, items[tag].number);
    }
    return out;
}

[[noreturn]] void Fail(const char* what, int tag = 0)
{
    if (tag > 0)
        std::fprintf(stderr, "fuzz_chain: %s (tag %d)\n", what, tag);
    else
        std::fprintf(stderr, "fuzz_chain: %s\n", what);
    std::abort();
}

bool SameErrors(const CUzData& a, const CUzData& b)
{
    for (int year = 0; year < kYearCount; ++year) {
        const CUzFailedRules& x = a.m_errors[year];
        const CUzFailedRules& y = b.m_errors[year];
        if (x.m_nCount != y.m_nCount ||
            !std::equal(std::begin(x.m_aRule), std::end(x.m_aRule), std::begin(y.m_aRule)))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Setup setup;
    WriteFile(setup.input, data, size);

    CUzDocument doc;
    doc.m_strPath = setup.input;
    const bool loaded = doc.Load();

    Expected expected[kItemCount + 1];
    const bool parsed = Parse(data, size, expected);
    if (loaded != parsed)
        Fail(loaded ? "loaded a file the format refuses" : "refused a well-formed file");
    if (!loaded && doc.m_nError != FileErrRead)
        Fail("a bad file must leave the read error");

    for (int tag = 1; tag <= kItemCount; ++tag) {
        const CUzItemBase& item = doc.m_data.Item(tag);
        const Expected want = loaded ? expected[tag] : Expected{};
        if (item.m_strValue != want.text)
            Fail("value text differs", tag);
        if (item.m_nNumber != want.number)
            Fail("number differs", tag);
        if (tag != kOpinionTag && doc.m_data.EditItem(tag).m_edit.m_nMark != 0)
            Fail("mark left after load", tag);
    }
    if (!loaded)
        return 0;

    const int passed = doc.m_data.CheckAll();
    std::string text;
    if (doc.BuildText(text) != 1)
        Fail("statement text not built");
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        Fail("statement text does not end with CR LF");

    // A fresh file each time, so a run does not depend on the one before.
    unlink(setup.saved.c_str());
    doc.m_strPath = setup.saved;
    if (!doc.Save())
        Fail("a loaded statement was not saved");
    if (doc.m_nError != FileErrNone)
        Fail("save succeeded with an error pending");
    const std::string bytes = ReadFile(setup.saved);
    const std::string want = Canonical(expected);
    if (bytes != want) {
        const auto diff = std::mismatch(bytes.begin(), bytes.end(), want.begin(), want.end());
        std::fprintf(stderr, "fuzz_chain: saved %zu bytes, expected %zu, first difference at %td\n",
                     bytes.size(), want.size(), diff.first - bytes.begin());
        Fail("saved bytes are not the records of the loaded values");
    }

    CUzDocument again;
    again.m_strPath = setup.saved;
    if (!again.Load())
        Fail("the saved file does not load");
    for (int tag = 1; tag <= kItemCount; ++tag) {
        const CUzItemBase& a = doc.m_data.Item(tag);
        const CUzItemBase& b = again.m_data.Item(tag);
        if (a.m_strValue != b.m_strValue || a.m_nNumber != b.m_nNumber)
            Fail("the saved file loads to another statement", tag);
    }
    if (again.m_data.CheckAll() != passed || !SameErrors(doc.m_data, again.m_data))
        Fail("the rules judge the saved statement differently");
    std::string textAgain;
    if (again.BuildText(textAgain) != 1 || textAgain != text)
        Fail("the saved statement gives another text");
    return 0;
}
