#pragma once
// The four pages of figures: each row is one statement line with its
// current-year and previous-year amount.

#include "pages/datapage.h"

#include <cstddef>
#include <span>

class CUzItemBase;
class QString;

struct FigureRow {
    int label;    // static control with the line's label
    int current;  // edit of the current-year amount
    int previous; // edit of the previous-year amount
    int tag;      // current-year item; the previous year is tag + 1
};

class CUzFigurePage : public CUzDataPage {
public:
    // The page's dialog is built from its rows and the statement's labels.
    CUzFigurePage(int dialogId, const char* caption, std::span<const FigureRow> rows);

    void DoDataExchange(CDataExchange& dx) override;
    bool OnInitDialog() override;

    // Focuses the edit of a figure of this page, its text selected.
    void FocusItem(const CUzItemBase& item);

    // Pasted into the figure of `year` (0 current, 1 previous) on `row`: one
    // line as into any edit; more lines, as a spreadsheet copies a column,
    // down that year's figures of the rows below, two numbers apart by a tab
    // into both years. A bad line or too many lines paste nothing, and a
    // message says why.
    void Paste(std::size_t row, int year, const QString& text);

    void OnCommand(int id, Notify code) override;

private:
    // "Načíst…": the figures from the books, after a preview.
    void OnImport();

    std::span<const FigureRow> m_rows;
};

class CUzPageAktiva : public CUzFigurePage {
public:
    CUzPageAktiva();
};

class CUzPagePasiva : public CUzFigurePage {
public:
    CUzPagePasiva();
};

class CUzPageVysledky1 : public CUzFigurePage {
public:
    CUzPageVysledky1();
};

class CUzPageVysledky2 : public CUzFigurePage {
public:
    CUzPageVysledky2();
};
