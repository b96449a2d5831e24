#include "model/cp1250.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>

namespace cp1250 {

std::size_t Utf8Length(std::string_view utf8)
{
    std::size_t n = 0;
    for (unsigned char c : utf8)
        n += (c & 0xC0) != 0x80;
    return n;
}

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Returns the byte offset of the failing input byte, or npos on success.
    std::size_t Run(std::string_view in, std::string& out)
    {
        out.clear();
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return 0;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        // Worst case UTF-8 from a single-byte code page is 3 bytes a byte.
        out.resize(in.size() * 3 + 4);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char* dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
                if (errno == E2BIG) {
                    std::size_t used = out.size() - dstLeft;
                    out.resize(out.size() * 2);
                    dst = out.data() + used;
                    dstLeft = out.size() - used;
                    continue;
                }
                std::size_t at = static_cast<std::size_t>(src - in.data());
                out.clear();
                return at;
            }
        }
        out.resize(out.size() - dstLeft);
        return std::string_view::npos;
    }

private:
    iconv_t m_cd;
};

Converter& ToCp1250()
{
    static Converter c("CP1250", "UTF-8");
    return c;
}

Converter& FromCp1250()
{
    static Converter c("UTF-8", "CP1250");
    return c;
}

} // namespace

Result FromUtf8(std::string_view utf8, std::string& out)
{
    std::size_t at = ToCp1250().Run(utf8, out);
    if (at == std::string_view::npos)
        return {};
    return {false, Utf8Length(utf8.substr(0, at))};
}

std::string FromUtf8Lossy(std::string_view utf8)
{
    std::string out, part;
    while (!utf8.empty()) {
        const std::size_t at = ToCp1250().Run(utf8, part);
        if (at == std::string_view::npos) {
            out += part;
            break;
        }
        ToCp1250().Run(utf8.substr(0, at), part);
        out += part;
        out += '?';
        std::size_t skip = 1; // the lead byte, then its continuation bytes
        while (at + skip < utf8.size() && (static_cast<unsigned char>(utf8[at + skip]) & 0xC0) == 0x80)
            ++skip;
        utf8.remove_prefix(at + skip);
    }
    return out;
}

Result ToUtf8(std::string_view text, std::string& out)
{
    std::size_t at = FromCp1250().Run(text, out);
    if (at == std::string_view::npos)
        return {};
    return {false, at};
}

std::string Literal(std::string_view utf8)
{
    std::string out;
    if (!FromUtf8(utf8, out).ok) {
        std::fprintf(stderr, "bil: literal not in Windows-1250: %.*s\n",
                     static_cast<int>(utf8.size()), utf8.data());
        std::abort();
    }
    return out;
}

} // namespace cp1250
