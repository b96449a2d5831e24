#pragma once
// Printing from the last page: "Tisk…" shows the statement and the order in
// the print preview, from which they go to a printer or a PDF file; "PDF…"
// writes the statement alone as a PDF for the commercial register. Neither
// changes the statement or anything the wizard keeps.

#include <string>

class CPropertyPage;
class QWidget;

// Adds the two buttons to `page`'s buttons in the sheet's row.
void AddPrintButtons(CPropertyPage& page);

// A click on one of them (any other `id` is left alone); their dialogs open
// over `parent`. `textFile` is the text file's name, which the PDF may not
// take.
void OnPrintCommand(int id, QWidget* parent, const std::string& textFile);

// The PDF's proposed name: the statement's with ".pdf" for its extension.
std::string PdfNameFor(const std::string& statement);
