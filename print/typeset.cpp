#include "print/typeset.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>

namespace print {

namespace {

// Characters laid out at a time. Wrapping a word longer than a line costs
// time that grows faster than the word, so no layout gets much text.
constexpr qsizetype kChunk = 4096;

const QColor kFrame(0xB0, 0x00, 0x00);
const QColor kRule(0x80, 0x80, 0x80);

// Line breaks of any kind end a line; other control characters print as a
// space rather than as nothing.
QString Printable(const QString& text)
{
    QString out = text;
    out.replace(QLatin1String("\r\n"), QString(QChar::LineSeparator));
    for (QChar& c : out)
        if (c == u'\n' || c == u'\r')
            c = QChar::LineSeparator;
        else if (c.unicode() < 0x20 && c != u'\t')
            c = u' ';
    return out;
}

} // namespace

struct Typesetter::Block {
    std::unique_ptr<QTextLayout> layout;
    qreal height = 0;
    qreal lastLine = 0; // the height of the last line
};

Typesetter::Typesetter(QPagedPaintDevice& device, QPainter* painter, const QString& footer,
                       int pageCount)
    : m_device(device), m_painter(painter), m_dpi(device.logicalDpiY()),
      m_width(device.width()), m_pageCount(pageCount)
{
    const QString family = QStringLiteral("DejaVu Sans");
    const qreal points[StyleCount] = {9.5, 9.5, 7.5, 11.5, 15};
    for (int s = 0; s < StyleCount; ++s) {
        m_fonts[s] = QFont(family);
        m_fonts[s].setPointSizeF(points[s]);
        m_fonts[s].setBold(s == Bold || s == Heading || s == Title);
        // Any spacing at all turns ligatures off: "fi" stays two letters
        // for whoever searches or copies the text.
        m_fonts[s].setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    }
    // The footer keeps to one line however long the company's name.
    const QFontMetricsF small(m_fonts[Small], &m_device);
    m_footer = small.elidedText(footer.left(500), Qt::ElideRight, m_width * 0.7);
    m_bottom = device.height() - small.height() - Mm(3);
}

Typesetter::~Typesetter() = default;

qreal Typesetter::Mm(qreal mm) const
{
    return mm * m_dpi / 25.4;
}

Typesetter::Block Typesetter::Lay(const QString& text, Style style, qreal width,
                                  Qt::Alignment align) const
{
    Block block;
    block.layout = std::make_unique<QTextLayout>(Printable(text), m_fonts[style], &m_device);
    QTextOption option(align);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    block.layout->setTextOption(option);
    block.layout->beginLayout();
    for (QTextLine line = block.layout->createLine(); line.isValid();
         line = block.layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, block.height));
        block.height += line.height();
        block.lastLine = line.height();
    }
    block.layout->endLayout();
    return block;
}

void Typesetter::Draw(const Block& block, qreal x, qreal y)
{
    if (m_painter)
        block.layout->draw(m_painter, QPointF(x, y));
}

void Typesetter::Flow(const QString& whole, Style style, qreal x, qreal width, const Block* head,
                      qreal headX, bool headAbove)
{
    const QString text = Printable(whole);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTabStopDistance(Mm(12.5));
    qreal headBottom = 0; // on the page headPage
    int headPage = 0;
    bool first = true;
    qsizetype pos = 0;
    do {
        const qsizetype size = std::min(kChunk, text.size() - pos);
        const bool last = pos + size == text.size();
        QTextLayout layout(text.mid(pos, size), m_fonts[style], &m_device);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        // The last line of a piece may end where the piece was cut: it is
        // laid out again at the start of the next piece.
        int lines = layout.lineCount();
        qsizetype used = size;
        if (!last && lines > 1)
            used = layout.lineAt(--lines).textStart();
        for (int i = 0; i < lines; ++i) {
            const QTextLine line = layout.lineAt(i);
            if (first && head) {
                // Beside a label that wraps, the value starts on its last
                // line, so that both read in order.
                const qreal lead = headAbove ? head->height : head->height - head->lastLine;
                Ensure(std::max(head->height, lead + line.height()));
                Draw(*head, headX, m_y);
                headBottom = m_y + head->height;
                headPage = m_page;
                m_y += lead;
            } else {
                Ensure(line.height());
            }
            first = false;
            if (m_painter)
                line.draw(m_painter, QPointF(x, m_y - line.y()));
            m_y += line.height();
        }
        pos += used;
    } while (pos < text.size());
    if (m_page == headPage)
        m_y = std::max(m_y, headBottom);
}

void Typesetter::Ensure(qreal height)
{
    if (m_y > 0 && m_y + height > m_bottom)
        NewPage();
}

void Typesetter::EndPage()
{
    if (!m_pageOpen)
        return;
    m_pageOpen = false;
    if (!m_painter)
        return;
    const QFontMetricsF small(m_fonts[Small], &m_device);
    const qreal top = m_device.height() - small.height();
    m_painter->save();
    m_painter->setPen(QPen(kRule, Mm(0.2)));
    m_painter->drawLine(QPointF(0, top - Mm(1)), QPointF(m_width, top - Mm(1)));
    m_painter->setPen(Qt::black);
    m_painter->setFont(m_fonts[Small]);
    const QRectF band(0, top, m_width, small.height());
    m_painter->drawText(band, Qt::AlignLeft | Qt::AlignVCenter, m_footer);
    m_painter->drawText(band, Qt::AlignRight | Qt::AlignVCenter,
                        QStringLiteral("strana %1 z %2").arg(m_page).arg(m_pageCount));
    m_painter->restore();
}

void Typesetter::NewPage()
{
    EndPage();
    if (m_painter)
        m_device.newPage();
    ++m_page;
    m_pageOpen = true;
    m_y = 0;
    if (!m_heads.isEmpty())
        Heads();
}

int Typesetter::Finish()
{
    EndPage();
    return m_page;
}

void Typesetter::Paragraph(const QString& text, Style style, qreal indentMm)
{
    Flow(text, style, Mm(indentMm), m_width - Mm(indentMm));
}

void Typesetter::Labelled(const QString& label, const QString& text)
{
    const Block head = Lay(label, Bold, m_width, Qt::AlignLeft);
    Flow(text, Body, 0, m_width, &head, 0, true);
}

void Typesetter::Field(const QString& label, const QString& value)
{
    const qreal column = m_width * 0.5;
    const Block head = Lay(label, Body, column - Mm(3), Qt::AlignLeft);
    Flow(value, Body, column, m_width - column, &head, 0, false);
}

void Typesetter::Space(qreal lines)
{
    if (m_y > 0)
        m_y += lines * QFontMetricsF(m_fonts[Body], &m_device).lineSpacing();
}

void Typesetter::BeginTable(const QString& heading, const QStringList& heads)
{
    const QFontMetricsF body(m_fonts[Body], &m_device), bold(m_fonts[Bold], &m_device);
    m_figureWidth = body.horizontalAdvance(QStringLiteral("\u2212" "2\u00A0147\u00A0483\u00A0648"));
    for (const QString& head : heads)
        m_figureWidth = std::max(m_figureWidth, bold.horizontalAdvance(head));
    m_figureWidth += Mm(4);
    // The heading goes with the column heads and the first rows.
    const Block title = Lay(heading, Heading, m_width, Qt::AlignLeft);
    Ensure(title.height + Mm(2) + 3 * bold.lineSpacing());
    Draw(title, 0, m_y);
    m_y += title.height + Mm(1);
    m_heads = heads;
    Heads();
}

void Typesetter::Heads()
{
    qreal height = 0;
    for (qsizetype i = 0; i < m_heads.size(); ++i) {
        const Block head = Lay(m_heads[i], Bold, m_figureWidth, Qt::AlignRight);
        Draw(head, m_width - (m_heads.size() - i) * m_figureWidth, m_y);
        height = std::max(height, head.height);
    }
    m_y += height + Mm(0.5);
    if (m_painter) {
        m_painter->save();
        m_painter->setPen(QPen(kRule, Mm(0.2)));
        m_painter->drawLine(QPointF(0, m_y), QPointF(m_width, m_y));
        m_painter->restore();
    }
    m_y += Mm(1);
}

void Typesetter::Row(const QString& label, qreal indentMm, const QStringList& figures)
{
    const qreal figuresLeft = m_width - figures.size() * m_figureWidth;
    const Block text = Lay(label, Body, figuresLeft - Mm(indentMm) - Mm(2), Qt::AlignLeft);
    std::vector<Block> cells;
    qreal height = text.height;
    for (const QString& figure : figures) {
        cells.push_back(Lay(figure, Body, m_figureWidth, Qt::AlignRight));
        height = std::max(height, cells.back().height);
    }
    Ensure(height);
    Draw(text, Mm(indentMm), m_y);
    // Figures stand on the last line of a label that wraps.
    for (std::size_t i = 0; i < cells.size(); ++i)
        Draw(cells[i], figuresLeft + qreal(i) * m_figureWidth, m_y + text.height - cells[i].height);
    m_y += height;
}

void Typesetter::EndTable()
{
    m_heads.clear();
}

void Typesetter::Box(const std::vector<std::pair<QString, Style>>& lines)
{
    const qreal pad = Mm(2.5);
    std::vector<Block> blocks;
    qreal height = 2 * pad;
    for (const auto& [text, style] : lines) {
        blocks.push_back(Lay(text, style, m_width - 2 * pad, Qt::AlignLeft));
        height += blocks.back().height;
    }
    Ensure(height);
    if (m_painter) {
        m_painter->save();
        m_painter->setPen(QPen(kFrame, Mm(0.6)));
        m_painter->drawRect(QRectF(Mm(0.3), m_y, m_width - Mm(0.6), height));
        m_painter->restore();
    }
    qreal y = m_y + pad;
    for (const Block& block : blocks) {
        Draw(block, pad, y);
        y += block.height;
    }
    m_y += height;
}

} // namespace print
