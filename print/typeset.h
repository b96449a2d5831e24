#pragma once
// A small typesetter for paged documents: paragraphs that wrap and flow over
// pages, tables whose rows are never split and whose column heads repeat on
// every page, framed boxes, and a footer with "strana N z M" on every page.
//
// A document is typeset twice: once to count its pages (painter null), once
// to paint them. Text is laid out a few thousand characters at a time and
// forgotten once placed, so a text of megabytes costs time, not memory.

#include <QFont>
#include <QString>
#include <QStringList>

#include <array>
#include <memory>
#include <utility>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QTextLayout;

namespace print {

class Typesetter {
public:
    enum Style { Body, Bold, Small, Heading, Title, StyleCount };

    // Lays out on `device`'s paint area (its margins are the page's). With a
    // painter, paints too, `pageCount` being what the counting run found.
    Typesetter(QPagedPaintDevice& device, QPainter* painter, const QString& footer,
               int pageCount);
    ~Typesetter();
    Typesetter(const Typesetter&) = delete;
    Typesetter& operator=(const Typesetter&) = delete;

    // A paragraph; `indentMm` from the left edge.
    void Paragraph(const QString& text, Style style, qreal indentMm = 0);
    // A label on a line of its own above its text, kept with the first line.
    void Labelled(const QString& label, const QString& text);
    // A label in the left column and its value beside it.
    void Field(const QString& label, const QString& value);
    // Empty space, in lines of body text; none at the top of a page.
    void Space(qreal lines);

    // A table with a heading and a label column followed by one figure
    // column per head, right-aligned.
    void BeginTable(const QString& heading, const QStringList& heads);
    void Row(const QString& label, qreal indentMm, const QStringList& figures);
    void EndTable();

    // Lines in a frame, kept on one page.
    void Box(const std::vector<std::pair<QString, Style>>& lines);

    // Ends the last page; the number of pages.
    int Finish();

private:
    struct Block; // a short text laid out whole

    qreal Mm(qreal mm) const;
    Block Lay(const QString& text, Style style, qreal width, Qt::Alignment align) const;
    void Draw(const Block& block, qreal x, qreal y);
    // Flows `text` line by line from the current position. A `head` block
    // goes beside the first line (at headX) or above it, kept with it.
    void Flow(const QString& text, Style style, qreal x, qreal width,
              const Block* head = nullptr, qreal headX = 0, bool headAbove = false);
    void Ensure(qreal height);
    void NewPage();
    void EndPage();
    void Heads();

    QPagedPaintDevice& m_device;
    QPainter* m_painter;
    std::array<QFont, StyleCount> m_fonts;
    qreal m_dpi;
    qreal m_width;
    qreal m_bottom;
    qreal m_y = 0;
    int m_page = 1;
    int m_pageCount;
    QString m_footer;
    bool m_pageOpen = true;
    // The open table: column heads and the width of a figure column.
    QStringList m_heads;
    qreal m_figureWidth = 0;
};

} // namespace print
