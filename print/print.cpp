#include "print/print.h"

#include "checks/rules.h"
#include "framework/text.h"
#include "model/data.h"
#include "print/typeset.h"
#include "res/dialogs.h"
#include "text/figures.h"
#include "text/layout.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

// qpdf's new interface only: no PointerHolder.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <functional>
#include <memory>

namespace print {

namespace {

using Style = Typesetter::Style;

QString Q(const std::string& cp1250)
{
    return FromCp1250(cp1250);
}

QString Figure(std::int32_t n)
{
    return QString::fromStdString(FigureText(n));
}

// A field's label as printed: the catalogue's "$20" for the law's
// paragraph is "§ 20" on paper (the text file keeps the catalogue's).
QString FieldLabel(const std::string& label)
{
    return Q(label).replace(QLatin1String("$20"), QStringLiteral("§ 20"));
}

// "Rozvaha ( v tis. Kč):" as a heading: "Rozvaha (v tis. Kč)".
QString HeadingText(const std::string& label)
{
    QString text = Q(label).simplified().replace(QLatin1String("( "), QLatin1String("("));
    while (text.endsWith(u':'))
        text.chop(1);
    return text;
}

// The company and the year, for the footer and the title.
QString CompanyAndYear(const CUzData& data)
{
    QStringList parts;
    for (int tag : {1, 6})
        if (const QString part = Q(data.Item(tag).m_strValue).simplified(); !part.isEmpty())
            parts << part.left(200);
    return parts.join(QLatin1String(", "));
}

void FailedRulesBox(Typesetter& t, const std::array<CUzFailedRules, kYearCount>& failed)
{
    std::vector<std::pair<QString, Style>> lines = {
        {QStringLiteral("Účetní závěrka obsahuje nesrovnalosti: tato součtová pravidla neplatí."),
         Typesetter::Bold}};
    const QString years[kYearCount] = {QStringLiteral("Běžný rok"), QStringLiteral("Minulý rok")};
    for (int year = 0; year < kYearCount; ++year) {
        const CUzFailedRules& list = failed[std::size_t(year)];
        for (int i = 0; i < list.m_nCount; ++i)
            lines.emplace_back(years[year] + QStringLiteral(": ") +
                                   Q(g_ruleCaptions[std::size_t(list.m_aRule[i])]),
                               Typesetter::Body);
    }
    t.Box(lines);
}

void Statement(Typesetter& t, const std::vector<TextRow>& rows,
               const std::array<CUzFailedRules, kYearCount>& failed)
{
    const bool failing = failed[0].m_nCount != 0 || failed[1].m_nCount != 0;
    for (const TextRow& row : rows) {
        if (row.kind != TextRow::Figure)
            t.EndTable();
        switch (row.kind) {
        case TextRow::Title:
            t.Paragraph(Q(row.value), Typesetter::Title);
            if (failing) {
                t.Space(0.5);
                FailedRulesBox(t, failed);
            }
            break;
        case TextRow::Field:
            // A label the value follows without a TAB reads as one sentence.
            if (row.tabs == 0)
                t.Paragraph(FieldLabel(row.label) + Q(row.value), Typesetter::Body);
            else
                t.Field(FieldLabel(row.label).trimmed(), Q(row.value));
            break;
        case TextRow::Heading:
            t.BeginTable(HeadingText(row.label),
                         {QStringLiteral("Běžný rok"), QStringLiteral("Minulý rok")});
            continue; // the column heads stand for its empty line
        case TextRow::Figure: {
            const std::size_t indent = row.label.find_first_not_of(' ');
            t.Row(Q(row.label).trimmed(), indent == std::string::npos ? 0 : 1.5 * indent,
                  {Figure(row.current), Figure(row.previous)});
            break;
        }
        case TextRow::Paragraph:
            t.Labelled(Q(row.label).trimmed(), Q(row.value));
            break;
        case TextRow::Note:
            if (!row.value.empty())
                t.Paragraph(Q(row.value), Typesetter::Body);
            break;
        }
        t.Space(0.6 * row.blankLines);
    }
    t.EndTable();
}

void Order(Typesetter& t, const CUzData& data)
{
    const auto value = [&data](int tag) { return Q(data.Item(tag).m_strValue); };
    const auto label = [&data](int tag) { return Q(data.Item(tag).m_strLabel).trimmed(); };
    t.Paragraph(QStringLiteral("Objednávka zveřejnění účetní závěrky v KT"), Typesetter::Title);
    t.Space(1);
    t.Field(QStringLiteral("Účetní závěrka společnosti:"), value(1));
    t.Field(label(2), QString::fromStdString(IcoText(data.Item(2).m_nNumber)));
    t.Field(QStringLiteral("Za rok:"), value(6));
    t.Space(1);
    t.Paragraph(QStringLiteral("Objednavatel"), Typesetter::Heading);
    t.Space(0.3);
    for (int tag = 123; tag <= 134; ++tag) {
        const std::int32_t ico = data.Item(tag).m_nNumber;
        t.Field(label(tag), tag != 128 ? value(tag)
                           : ico != 0  ? QString::fromStdString(IcoText(ico))
                                       : QString());
    }
    t.Space(1);
    t.Paragraph(QString::fromUtf8(kOrdererNote), Typesetter::Small);
    t.Space(4);
    t.Paragraph(QStringLiteral("Datum: ______________________      "
                               "Razítko a podpis: ______________________________"),
                Typesetter::Body);
}

// Counts the pages, then paints them.
void Typeset(QPagedPaintDevice& device, QPainter& painter, const QString& footer,
             const std::function<void(Typesetter&)>& content)
{
    Typesetter count(device, nullptr, footer, 0);
    content(count);
    Typesetter paint(device, &painter, footer, count.Finish());
    content(paint);
    paint.Finish();
}

// Control characters have no place in the document's information.
QString Clean(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < 0x20; });
    return text;
}

// Qt's own packet has no author: ours carries the title, the company as
// author, the dates of the document information and the PDF/A
// identification.
QByteArray Xmp(const QString& title, const QString& author, const QString& date)
{
    return QStringLiteral(
               "<?xpacket begin='\uFEFF' id='W5M0MpCehiHzreSzNTczkc9d'?>\n"
               "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
               " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
               "  <rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
               "   <dc:title><rdf:Alt><rdf:li xml:lang=\"x-default\">%1</rdf:li></rdf:Alt></dc:title>\n"
               "   <dc:creator><rdf:Seq><rdf:li>%2</rdf:li></rdf:Seq></dc:creator>\n"
               "  </rdf:Description>\n"
               "  <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\">\n"
               "   <xmp:CreatorTool>Bil</xmp:CreatorTool>\n"
               "   <xmp:CreateDate>%3</xmp:CreateDate>\n"
               "   <xmp:ModifyDate>%3</xmp:ModifyDate>\n"
               "  </rdf:Description>\n"
               "  <rdf:Description rdf:about=\"\" xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
               "   <pdf:Producer>Qt %4</pdf:Producer>\n"
               "  </rdf:Description>\n"
               "  <rdf:Description rdf:about=\"\" xmlns:pdfaid=\"http://www.aiim.org/pdfa/ns/id/\""
               " pdfaid:part=\"1\" pdfaid:conformance=\"B\"/>\n"
               " </rdf:RDF>\n"
               "</x:xmpmeta>\n"
               "<?xpacket end='w'?>")
        .arg(title.toHtmlEscaped(), author.toHtmlEscaped(), date, QString::fromLatin1(qVersion()))
        .toUtf8();
}

// A date of the document information ("D:YYYYMMDDHHmmSS" then "Z" or
// "+HH'mm'") as an XMP date; empty when it is none.
QString XmpDate(const std::string& d)
{
    if (d.size() < 17 || !d.starts_with("D:"))
        return {};
    const QString s = QString::fromStdString(d.substr(2));
    const QString zone = s.size() >= 20 && (s[14] == u'+' || s[14] == u'-')
                             ? s.mid(14, 3) + u':' + s.mid(18, 2)
                             : QStringLiteral("+00:00");
    return s.mid(0, 4) + u'-' + s.mid(4, 2) + u'-' + s.mid(6, 2) + u'T' + s.mid(8, 2) + u':' +
           s.mid(10, 2) + u':' + s.mid(12, 2) + zone;
}

// Qt 6.4's writer cannot set an author: the company goes into the document
// information here, and the packet, which PDF/A wants to agree with it,
// gets the information's dates. Empty when the PDF cannot be read back.
QByteArray WithAuthor(const QByteArray& written, const QString& title, const QString& author)
{
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("statement.pdf", written.constData(), std::size_t(written.size()));
        QPDFObjectHandle info = pdf.getTrailer().getKey("/Info");
        QPDFObjectHandle metadata = pdf.getRoot().getKey("/Metadata");
        if (!info.isDictionary() || !metadata.isStream())
            return {};
        // The title again too: Qt writes its UTF-16 bytes unescaped, and a
        // raw CR byte in a string (as in "č", U+010D) reads as LF.
        info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
        info.replaceKey("/Author", QPDFObjectHandle::newUnicodeString(author.toStdString()));
        QPDFObjectHandle created = info.getKey("/CreationDate");
        const QString date = XmpDate(created.isString() ? created.getStringValue() : std::string());
        if (date.isEmpty())
            return {};
        const QByteArray xmp = Xmp(title, author, date);
        metadata.replaceStreamData(xmp.toStdString(), QPDFObjectHandle::newNull(),
                                   QPDFObjectHandle::newNull());
        QPDFWriter writer(pdf);
        writer.setOutputMemory();
        // PDF/A-1 is PDF 1.4: no object streams.
        writer.setObjectStreamMode(qpdf_o_disable);
        writer.write();
        const std::shared_ptr<Buffer> out(writer.getBufferSharedPointer());
        return QByteArray(reinterpret_cast<const char*>(out->getBuffer()), qsizetype(out->getSize()));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

void SetUpPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(20, 15, 18, 12), QPageLayout::Millimeter));
}

void Paint(const CUzData& data, QPagedPaintDevice& device, std::span<const Part> parts)
{
    QPainter painter;
    if (!painter.begin(&device))
        return;
    const QString footer = CompanyAndYear(data);
    bool first = true;
    for (Part part : parts) {
        if (!first)
            device.newPage();
        first = false;
        if (part == Part::Statement) {
            const std::vector<TextRow> rows = StatementRows(data);
            const auto failed = data.FailedRules();
            Typeset(device, painter, footer,
                    [&](Typesetter& t) { Statement(t, rows, failed); });
        } else {
            Typeset(device, painter, footer, [&](Typesetter& t) { Order(t, data); });
        }
    }
    painter.end();
}

QByteArray Pdf(const CUzData& data, Part part)
{
    const QString title = Clean(
        (part == Part::Statement ? QStringLiteral("Účetní závěrka")
                                 : QStringLiteral("Objednávka zveřejnění účetní závěrky")) +
        QStringLiteral(" – ") + CompanyAndYear(data));
    const QString author = Clean(Q(data.Item(1).m_strValue).simplified().left(200));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Bil"));
        SetUpPage(writer);
        const Part parts[] = {part};
        Paint(data, writer, parts);
    }
    return WithAuthor(buffer.data(), title, author);
}

} // namespace print
