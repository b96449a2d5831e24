// A statement exported as CSV: a header row naming the columns, then a row
// per official row, found by its mark (the line number only confirms it).

#include "import/readers.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <array>
#include <vector>

namespace bilimport::detail {

namespace {

// Header names and table names compare without case, accents and blanks
// around them.
QString Plain(QStringView s)
{
    const QString decomposed = s.trimmed().toString().normalized(QString::NormalizationForm_D);
    QString out;
    for (const QChar c : decomposed)
        if (c.category() != QChar::Mark_NonSpacing)
            out += c.toLower();
    return out;
}

// Records of a CSV: fields split at the separator, quotes ("" inside) keep
// separators and line ends. Lines are counted for messages.
class Records {
public:
    Records(const QString& text, QChar sep) : m_text(text), m_sep(sep) {}

    // False at the end, or with openQuote set when a quote never closes.
    bool Next(QStringList& fields, int& line)
    {
        fields.clear();
        const qsizetype n = m_text.size();
        if (m_pos >= n)
            return false;
        line = m_line;
        QString field;
        bool quoted = false, fieldStart = true;
        while (m_pos < n) {
            const QChar c = m_text[m_pos++];
            if (quoted) {
                if (c == u'"' && m_pos < n && m_text[m_pos] == u'"') {
                    field += c;
                    ++m_pos;
                } else if (c == u'"') {
                    quoted = false;
                } else {
                    m_line += c == u'\n';
                    field += c;
                }
            } else if (c == u'"' && fieldStart) {
                quoted = true;
                fieldStart = false;
            } else if (c == m_sep) {
                fields << field;
                field.clear();
                fieldStart = true;
            } else if (c == u'\r' || c == u'\n') {
                if (c == u'\r' && m_pos < n && m_text[m_pos] == u'\n')
                    ++m_pos;
                ++m_line;
                fields << field;
                return true;
            } else {
                field += c;
                fieldStart = false;
            }
        }
        if (quoted) {
            openQuote = line;
            return false;
        }
        fields << field;
        return true;
    }

    int openQuote = 0;

private:
    const QString& m_text;
    QChar m_sep;
    qsizetype m_pos = 0;
    int m_line = 1;
};

bool Blank(const QStringList& fields)
{
    for (const QString& f : fields)
        if (!f.trimmed().isEmpty())
            return false;
    return true;
}

enum Column { Vykaz, Radek, Oznaceni, Text, Bezne, Minule, ColumnCount };
constexpr std::array<const char16_t*, ColumnCount> kColumnNames = {u"výkaz", u"řádek", u"označení",
                                                                   u"text", u"běžné", u"minulé"};
using Columns = std::array<int, ColumnCount>; // field index, -1 absent

// The header's columns; a name twice is `twice`.
Columns FindColumns(const QStringList& header, QString& twice)
{
    Columns cols;
    cols.fill(-1);
    for (int i = 0; i < static_cast<int>(header.size()); ++i) {
        const QString name = Plain(header[i]);
        for (std::size_t c = 0; c < ColumnCount; ++c) {
            if (name != Plain(QStringView(kColumnNames[c])))
                continue;
            if (cols[c] >= 0)
                twice = QString::fromUtf16(kColumnNames[c]);
            cols[c] = i;
        }
    }
    return cols;
}

bool Usable(const Columns& c)
{
    return c[Vykaz] >= 0 && c[Oznaceni] >= 0 && (c[Bezne] >= 0 || c[Minule] >= 0);
}

// Official rows by table and compared mark, in the form's order.
const QHash<QString, std::vector<const OfficialRow*>>& RowsByMark(Table table)
{
    static const auto index = [] {
        std::array<QHash<QString, std::vector<const OfficialRow*>>, kTableCount> ix;
        for (const OfficialRow& r : OfficialRows())
            ix[static_cast<std::size_t>(r.table)][NormalMark(QString::fromUtf8(r.mark))].push_back(&r);
        return ix;
    }();
    return index[static_cast<std::size_t>(table)];
}

QString Shown(const QString& s)
{
    const QString t = s.trimmed();
    return t.size() > 40 ? t.left(40) + QStringLiteral("…") : t;
}

} // namespace

bool ReadCsv(const QString& text, bool crowns, Statement& st, const Failure& fail)
{
    // The header decides the separator: the first that yields the columns.
    QStringList header;
    int headerLine = 0;
    QChar sep;
    Columns cols{};
    QString twice;
    int bestKnown = 0; // for the message: the candidate that found most names
    Columns bestCols{};
    for (const QChar candidate : {QChar(u';'), QChar(u'\t'), QChar(u',')}) {
        Records probe(text, candidate);
        QStringList fields;
        while (probe.Next(fields, headerLine) && Blank(fields)) {
        }
        QString dup;
        const Columns c = FindColumns(fields, dup);
        if (Usable(c)) {
            sep = candidate;
            header = fields;
            cols = c;
            twice = dup;
            break;
        }
        const int known = static_cast<int>(std::count_if(c.begin(), c.end(), [](int i) { return i >= 0; }));
        if (known > bestKnown) {
            bestKnown = known;
            bestCols = c;
        }
    }
    if (sep.isNull()) {
        if (bestKnown == 0)
            return fail(0, QStringLiteral("není XML ani CSV: první řádek není hlavička se sloupci "
                                          "výkaz, označení a běžné nebo minulé"));
        const QString missing = bestCols[Vykaz] < 0      ? QStringLiteral("výkaz")
                                : bestCols[Oznaceni] < 0 ? QStringLiteral("označení")
                                                         : QStringLiteral("běžné nebo minulé");
        return fail(headerLine, QStringLiteral("v hlavičce chybí sloupec %1").arg(missing));
    }
    if (!twice.isEmpty())
        return fail(headerLine, QStringLiteral("sloupec %1 je v hlavičce dvakrát").arg(twice));

    Records records(text, sep);
    QStringList fields;
    int line = 0;
    while (records.Next(fields, line) && Blank(fields)) {
    }
    bool any = false;
    while (records.Next(fields, line)) {
        if (Blank(fields))
            continue;
        if (fields.size() < header.size())
            return fail(line, QStringLiteral("má méně sloupců (%1) než hlavička (%2); je řádek useknutý?")
                                  .arg(QString::number(fields.size()), QString::number(header.size())));
        for (qsizetype i = header.size(); i < fields.size(); ++i)
            if (!fields[i].trimmed().isEmpty())
                return fail(line, QStringLiteral("má víc sloupců než hlavička (desetinná čárka "
                                                 "v souboru odděleném čárkami patří do uvozovek)"));
        const auto cell = [&](Column c) { return cols[c] < 0 ? QString() : fields[cols[c]]; };
        const QString table = Plain(cell(Vykaz));
        const QString markCell = cell(Oznaceni), lineCell = cell(Radek).trimmed();
        // A heading row: nothing to find and no figure.
        if (markCell.trimmed().isEmpty() && lineCell.isEmpty() && cell(Bezne).trimmed().isEmpty() &&
            cell(Minule).trimmed().isEmpty())
            continue;
        Table t = Table::Assets;
        if (table == u"aktiva")
            t = Table::Assets;
        else if (table == u"pasiva")
            t = Table::Liabilities;
        else if (table == u"vzz")
            t = Table::ProfitLoss;
        else
            return fail(line, QStringLiteral("výkaz „%1“ není aktiva, pasiva ani vzz").arg(Shown(cell(Vykaz))));

        std::int64_t value[2] = {0, 0};
        for (int year = 0; year < 2; ++year) {
            const Column c = year == 0 ? Bezne : Minule;
            const Number n = ParseFigure(cell(c), true, crowns, value[year]);
            if (n != Number::Ok)
                return fail(line, NumberProblem(n, cell(c),
                                                QStringLiteral("sloupec %1").arg(QString::fromUtf16(kColumnNames[c])),
                                                crowns));
        }
        int lineNo = 0;
        bool lineOk = true;
        if (!lineCell.isEmpty()) {
            lineNo = lineCell.toInt(&lineOk);
            if (!lineOk)
                return fail(line, QStringLiteral("řádek výkazu „%1“ není číslo").arg(Shown(lineCell)));
        }
        const QString mark = NormalMark(markCell);
        const auto found = RowsByMark(t).constFind(mark);
        const OfficialRow* byLine = lineCell.isEmpty() ? nullptr : FindRow(t, lineNo);
        if (found == RowsByMark(t).constEnd()) {
            // A row the form does not have: listed, not taken.
            if (byLine)
                return fail(line, QStringLiteral("řádek výkazu %1 má označení „%2“, ne „%3“")
                                      .arg(lineCell, QString::fromUtf8(byLine->mark), Shown(markCell)));
            st.unknown.push_back({line, cell(Vykaz).trimmed(), lineCell, markCell.trimmed(),
                                  cell(Text).trimmed(), {value[0], value[1]}});
            continue;
        }
        const OfficialRow* row = nullptr;
        for (const OfficialRow* r : found.value())
            if (lineCell.isEmpty() ? !st.At(t, r->line).present : r->line == lineNo)
                row = row ? row : r;
        if (!row && !lineCell.isEmpty())
            return fail(line, QStringLiteral("řádek výkazu %1 nepatří k označení „%2“").arg(lineCell, Shown(markCell)));
        if (!row)
            return fail(line, QStringLiteral("označení „%1“ je ve výkazu %2 víckrát, než ho výkaz má (%3×)")
                                  .arg(Shown(markCell), table, QString::number(found.value().size())));
        Statement::Cell& c = st.At(t, row->line);
        if (c.present)
            return fail(line, QStringLiteral("řádek výkazu %1 (%2) je v souboru podruhé (poprvé na řádku %3)")
                                  .arg(QString::number(row->line), Shown(markCell), QString::number(c.fileLine)));
        c.present = true;
        c.fileLine = line;
        c.value[0] = value[0];
        c.value[1] = value[1];
        any = true;
    }
    if (records.openQuote)
        return fail(records.openQuote, QStringLiteral("uvozovky se tu otevírají a do konce souboru "
                                                      "nezavřou (je soubor useknutý?)"));
    if (!any && st.unknown.empty())
        return fail(0, QStringLiteral("neobsahuje žádný řádek výkazu, jen hlavičku"));
    return true;
}

} // namespace bilimport::detail
