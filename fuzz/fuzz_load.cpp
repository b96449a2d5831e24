// Loading arbitrary bytes as a statement file. Besides the sanitizers, each
// input is parsed a second time by a plain reading of the record format, and
// the document must agree: same outcome, same values; a failed load leaves
// every value empty with the read error pending.

#include "model/document.h"
#include "model/messages.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

struct Setup {
    Setup()
    {
        SetMessageHost(&host);
        std::string pattern = (std::filesystem::temp_directory_path() / "bil-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        folder = pattern;
        path = folder + "/input.bil";
    }
    ~Setup()
    {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    SilentMessageHost host;
    std::string folder;
    std::string path;
};

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size)
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

struct Expected {
    std::string text;
    std::int32_t number = 0;
};

// The record format read straight from the bytes.
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

[[noreturn]] void Fail(const char* what, int tag)
{
    std::fprintf(stderr, "fuzz_load: %s (tag %d)\n", what, tag);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Setup setup;
    WriteInput(setup.path, data, size);

    CUzDocument doc;
    doc.m_strPath = setup.path;
    const bool loaded = doc.Load();

    Expected expected[kItemCount + 1];
    const bool parsed = Parse(data, size, expected);
    if (loaded != parsed)
        Fail(loaded ? "loaded a file the format refuses" : "refused a well-formed file", 0);
    if (!loaded && doc.m_nError != FileErrRead)
        Fail("a bad file must leave the read error", 0);

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
    return 0;
}
