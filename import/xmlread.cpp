// The statement records of the corporate income tax return: Pisemnost,
// DPPDP9, then VetaUA (assets), VetaUD (liabilities), VetaUB (profit and
// loss) with the line number in c_radku; everything else is passed over.

#include "import/readers.h"

#include <QXmlStreamReader>

#include <array>

namespace bilimport::detail {

namespace {

struct Record {
    const char* element;
    Table table;
    // The current year's figure, the previous year's, then figures that are
    // not taken but must be numbers all the same (gross and correction).
    std::array<const char*, 4> numbers;
};

constexpr Record kRecords[] = {
    {"VetaUA", Table::Assets, {"kc_netto", "kc_netto_min", "kc_brutto", "kc_korekce"}},
    {"VetaUD", Table::Liabilities, {"kc_sled", "kc_min"}},
    {"VetaUB", Table::ProfitLoss, {"kc_sled", "kc_min"}},
};

bool ReadRecord(const QXmlStreamReader& xml, const Record& rec, Statement& st, const Failure& fail)
{
    const int at = static_cast<int>(xml.lineNumber());
    const QXmlStreamAttributes attrs = xml.attributes();
    const QString element = QString::fromLatin1(rec.element);
    bool ok = false;
    const QStringView lineText = attrs.value(QLatin1String("c_radku"));
    const int line = lineText.trimmed().toInt(&ok);
    const OfficialRow* row = ok ? FindRow(rec.table, line) : nullptr;
    if (!row)
        return fail(at, lineText.isEmpty()
                            ? QStringLiteral("%1 nemá číslo řádku (c_radku)").arg(element)
                            : QStringLiteral("%1: řádek „%2“ formulář (%3) nemá")
                                  .arg(element, lineText.left(20).toString(), TableName(rec.table)));
    Statement::Cell& cell = st.At(rec.table, line);
    if (cell.present)
        return fail(at, QStringLiteral("%1 s řádkem %2 je v souboru podruhé (poprvé na řádku %3)")
                            .arg(element, QString::number(line), QString::number(cell.fileLine)));
    cell.present = true;
    cell.fileLine = at;
    for (std::size_t k = 0; k < rec.numbers.size() && rec.numbers[k]; ++k) {
        const QStringView text = attrs.value(QLatin1String(rec.numbers[k]));
        std::int64_t value = 0;
        const Number n = ParseFigure(text, false, false, value);
        if (n != Number::Ok)
            return fail(at, NumberProblem(n, text,
                                          QStringLiteral("%1 řádek %2: %3")
                                              .arg(element, QString::number(line), QString::fromLatin1(rec.numbers[k])),
                                          false));
        if (k < 2)
            cell.value[k] = value;
    }
    return true;
}

} // namespace

bool ReadXml(const QString& text, Statement& st, const Failure& fail)
{
    QXmlStreamReader xml(text);
    int depth = 0;
    bool inForm = false, form = false, rows = false;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            // Entities are never expanded: a document type is refused before
            // anything could refer to one.
            return fail(static_cast<int>(xml.lineNumber()),
                        QStringLiteral("obsahuje deklaraci DOCTYPE, kterou Bil nečte"));
        case QXmlStreamReader::StartElement:
            ++depth;
            if (depth == 1 && xml.name() != u"Pisemnost")
                return fail(0, QStringLiteral("není přiznání k dani z příjmů právnických osob "
                                              "(čeká se Pisemnost, je tam „%1“)")
                                   .arg(xml.name().left(40).toString()));
            if (depth == 2 && xml.name() == u"DPPDP9")
                inForm = form = true;
            if (depth != 3 || !inForm)
                break;
            if (xml.name() == u"VetaD") {
                const QXmlStreamAttributes attrs = xml.attributes();
                const QStringView extent = attrs.value(QLatin1String("uv_rozsah")).trimmed();
                if (extent.isEmpty())
                    break;
                const qsizetype letter = extent.size() == 1 ? QStringView(u"PZM").indexOf(extent[0]) : -1;
                if (letter < 0)
                    return fail(static_cast<int>(xml.lineNumber()),
                                QStringLiteral("rozsah výkazů uv_rozsah „%1“ není P, Z ani M")
                                    .arg(extent.left(20).toString()));
                st.extentDeclared = true;
                st.extent = static_cast<Extent>(letter); // Full, Small, Micro
                break;
            }
            for (const Record& rec : kRecords) {
                if (xml.name() == QLatin1String(rec.element)) {
                    if (!ReadRecord(xml, rec, st, fail))
                        return false;
                    rows = true;
                }
            }
            break;
        case QXmlStreamReader::EndElement:
            if (--depth == 1)
                inForm = false;
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        const int line = static_cast<int>(xml.lineNumber());
        return fail(line, xml.error() == QXmlStreamReader::PrematureEndOfDocumentError
                              ? QStringLiteral("končí předčasně, XML není celé")
                              : QStringLiteral("není správně utvořené XML"));
    }
    if (!form)
        return fail(0, QStringLiteral("neobsahuje přiznání DPPDP9 (Pisemnost/DPPDP9)"));
    if (!rows)
        return fail(0, QStringLiteral("přiznání neobsahuje rozvahu ani výkaz zisku a ztráty "
                                      "(věty VetaUA, VetaUD, VetaUB)"));
    return true;
}

} // namespace bilimport::detail
