#include "import/read.h"

#include "import/readers.h"
#include "model/cp1250.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bilimport {

namespace detail {

bool Failure::operator()(int line, const QString& what) const
{
    // One pass of arg(): a % in the file's name stays as it is.
    m_error = line > 0 ? QStringLiteral("Soubor „%1“, řádek %2: %3.").arg(m_file, QString::number(line), what)
                       : QStringLiteral("Soubor „%1“: %2.").arg(m_file, what);
    return false;
}

Number ParseFigure(QStringView text, bool csv, bool crowns, std::int64_t& value)
{
    value = 0;
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    const qsizetype n = t.size();
    if (n == 0)
        return Number::Ok;
    const bool negative = t[0] == u'-' || (csv && t[0] == QChar(0x2212));
    if (negative || t[0] == u'+')
        ++i;
    // Whole part; in a CSV with digit groups of three after the first.
    std::int64_t whole = 0;
    int digits = 0, group = 0;
    bool grouped = false;
    for (; i < n; ++i) {
        const QChar c = t[i];
        if (c.isDigit() && c.unicode() < 128) {
            if (++digits > 15)
                return Number::OutOfRange;
            whole = whole * 10 + (c.unicode() - u'0');
            ++group;
        } else if (csv && (c == u' ' || c == QChar(0xA0) || c == QChar(0x202F))) {
            if (group == 0 || group > 3 || (grouped && group != 3))
                return Number::NotNumber;
            grouped = true;
            group = 0;
        } else {
            break;
        }
    }
    if (digits == 0 || group == 0 || (grouped && group != 3))
        return Number::NotNumber;
    // Decimals: only a CSV has them, after a comma.
    std::int64_t hundredths = 0;
    bool fraction = false;
    if (i < n && (t[i] == u',' || (!csv && t[i] == u'.'))) {
        const qsizetype first = ++i;
        for (; i < n && t[i].isDigit() && t[i].unicode() < 128; ++i) {
            const int d = t[i].unicode() - u'0';
            if (i - first < 2)
                hundredths += d * (i == first ? 10 : 1);
            else if (d != 0)
                return crowns ? Number::NotNumber : Number::NotWhole;
            fraction = fraction || d != 0;
        }
        if (i == first || i < n)
            return Number::NotNumber;
        if (!csv || (fraction && !crowns))
            return Number::NotWhole;
    }
    if (i < n)
        return Number::NotNumber;
    if (crowns) {
        value = whole * 100 + hundredths;
        const std::int64_t thousands = (value + 50000) / 100000;
        if (thousands > (negative ? std::int64_t{1} << 31 : INT32_MAX))
            return Number::OutOfRange;
    } else {
        value = whole;
        if (whole > (negative ? std::int64_t{1} << 31 : INT32_MAX))
            return Number::OutOfRange;
    }
    if (negative)
        value = -value;
    return Number::Ok;
}

QString NumberProblem(Number n, QStringView text, const QString& column, bool crowns)
{
    QString shown = text.trimmed().toString();
    if (shown.size() > 40)
        shown = shown.left(40) + QStringLiteral("…");
    switch (n) {
    case Number::NotWhole:
        return QStringLiteral("%1 „%2“ není celé číslo (čísla jsou v tisících Kč)").arg(column, shown);
    case Number::NotNumber:
        return crowns ? QStringLiteral("%1 „%2“ není částka v Kč").arg(column, shown)
                      : QStringLiteral("%1 „%2“ není celé číslo").arg(column, shown);
    case Number::OutOfRange:
        return QStringLiteral("%1 „%2“ je mimo rozsah, který Bil pojme "
                              "(−2147483648 až 2147483647 tisíc Kč)")
            .arg(column, shown);
    case Number::Ok:
        break;
    }
    return {};
}

QString TableName(Table table)
{
    switch (table) {
    case Table::Assets:
        return QStringLiteral("aktiva");
    case Table::Liabilities:
        return QStringLiteral("pasiva");
    case Table::ProfitLoss:
        break;
    }
    return QStringLiteral("výkaz zisku a ztráty");
}

} // namespace detail

namespace {

using detail::Failure;

bool DecodeUtf8(QByteArrayView bytes, QString& text)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = decoder(bytes);
    return !decoder.hasError();
}

bool DecodeCp1250(QByteArrayView bytes, QString& text)
{
    std::string utf8;
    if (!cp1250::ToUtf8(std::string_view(bytes.data(), static_cast<std::size_t>(bytes.size())), utf8).ok)
        return false;
    text = QString::fromStdString(utf8);
    return true;
}

// The XML declaration's encoding: UTF-8 unless it says windows-1250.
bool DecodeXml(QByteArrayView bytes, QString& text, const Failure& fail)
{
    QString encoding;
    if (bytes.startsWith("<?xml")) {
        const qsizetype end = bytes.indexOf("?>");
        static const QRegularExpression kEncoding(QStringLiteral("encoding\\s*=\\s*[\"']([^\"']*)[\"']"));
        const QRegularExpressionMatch m =
            kEncoding.match(QString::fromLatin1(bytes.first(end < 0 ? qMin<qsizetype>(bytes.size(), 200) : end)));
        if (m.hasMatch())
            encoding = m.captured(1).toLower();
    }
    if (encoding.isEmpty() || encoding == u"utf-8" || encoding == u"utf8") {
        if (!DecodeUtf8(bytes, text))
            return fail(0, QStringLiteral("není platné UTF-8"));
        return true;
    }
    if (encoding == u"windows-1250" || encoding == u"cp1250") {
        if (!DecodeCp1250(bytes, text))
            return fail(0, QStringLiteral("není v kódování windows-1250, které deklaruje"));
        return true;
    }
    return fail(0, QStringLiteral("je v kódování „%1“; Bil čte UTF-8 a windows-1250").arg(encoding));
}

// Without uv_rozsah: the full form as soon as a row only it has is there,
// the micro form when the balance sheet has no row the small form adds.
void InferExtent(Statement& st)
{
    bool full = false, balance = false, beyondMicro = false;
    for (const OfficialRow& r : OfficialRows()) {
        if (!st.At(r.table, r.line).present)
            continue;
        full = full || !r.In(Extent::Small);
        if (r.table != Table::ProfitLoss) {
            balance = true;
            beyondMicro = beyondMicro || !r.In(Extent::Micro);
        }
    }
    st.extent = full ? Extent::Full : balance && !beyondMicro ? Extent::Micro : Extent::Small;
}

QString OpenProblem(int err)
{
    switch (err) {
    case ENOENT:
        return QStringLiteral("neexistuje");
    case EACCES:
    case EPERM:
        return QStringLiteral("nelze číst: chybí oprávnění");
    case EISDIR:
        return QStringLiteral("je složka, ne soubor");
    default:
        break;
    }
    return QStringLiteral("nelze otevřít (%1)").arg(QString::fromLocal8Bit(std::strerror(err)));
}

QString TooBig()
{
    return QStringLiteral("je větší než 16 MB; tak velký výkaz není");
}

} // namespace

ReadStatus ReadSourceBytes(const QByteArray& bytes, const QString& fileName, const ReadOptions& options,
                           Statement& out, QString& error)
{
    out = Statement{};
    out.fileName = fileName;
    const Failure fail(error, fileName);
    const auto failed = [&](const QString& what) {
        fail(0, what);
        return ReadStatus::Failed;
    };
    if (bytes.size() > kMaxSourceBytes)
        return failed(TooBig());
    QByteArrayView body(bytes);
    const bool bom = body.startsWith("\xEF\xBB\xBF");
    if (bom)
        body = body.sliced(3);
    qsizetype first = 0;
    while (first < body.size() && (body[first] == ' ' || body[first] == '\t' || body[first] == '\r' || body[first] == '\n'))
        ++first;
    if (first == body.size())
        return failed(QStringLiteral("je prázdný"));
    QString text;
    bool ok = false;
    if (body[first] == '<') {
        out.fromXml = true;
        if (options.crowns) {
            fail(0, QStringLiteral("je přiznání v XML, které má čísla vždy v tisících Kč; "
                                   "volba „v korunách“ platí jen pro CSV"));
            return ReadStatus::CrownsWithXml;
        }
        ok = DecodeXml(body.sliced(first), text, fail) && detail::ReadXml(text, out, fail);
    } else {
        out.unit = options.crowns ? Unit::Crowns : Unit::Thousands;
        if (body.contains('\0'))
            return failed(QStringLiteral("není XML ani CSV"));
        if (!DecodeUtf8(body, text) && (bom || !DecodeCp1250(body, text)))
            return failed(QStringLiteral("není v kódování UTF-8 ani Windows-1250"));
        ok = detail::ReadCsv(text, options.crowns, out, fail);
    }
    if (!ok)
        return ReadStatus::Failed;
    if (!out.extentDeclared)
        InferExtent(out);
    return ReadStatus::Ok;
}

ReadStatus ReadSource(const std::string& path, const ReadOptions& options, Statement& out, QString& error)
{
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    const Failure fail(error, name);
    // Non-blocking: a FIFO planted under the name must not hang the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        fail(0, OpenProblem(errno));
        return ReadStatus::Failed;
    }
    struct stat st {};
    QByteArray bytes;
    QString problem;
    if (::fstat(fd, &st) != 0) {
        problem = OpenProblem(errno);
    } else if (!S_ISREG(st.st_mode)) {
        problem = S_ISDIR(st.st_mode) ? OpenProblem(EISDIR) : QStringLiteral("není obyčejný soubor");
    } else if (st.st_size > kMaxSourceBytes) {
        problem = TooBig();
    } else {
        // Up to the limit whatever the size said: the file may grow meanwhile.
        bytes.reserve(static_cast<qsizetype>(st.st_size));
        char chunk[64 * 1024];
        while (problem.isEmpty()) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n == 0)
                break;
            if (n > 0)
                bytes.append(chunk, n);
            else if (errno != EINTR)
                problem = QStringLiteral("nelze přečíst (%1)").arg(QString::fromLocal8Bit(std::strerror(errno)));
            if (bytes.size() > kMaxSourceBytes)
                problem = TooBig();
        }
    }
    ::close(fd);
    if (!problem.isEmpty()) {
        fail(0, problem);
        return ReadStatus::Failed;
    }
    return ReadSourceBytes(bytes, name, options, out, error);
}

} // namespace bilimport
