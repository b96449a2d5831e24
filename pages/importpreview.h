#pragma once
// The preview of figures taken from the books: what each of Bil's rows would
// become and where it comes from, with the summary, before anything changes.

#include "import/proposal.h"

#include <functional>

class QWidget;

// Makes the proposal again with a CSV's figures read as crowns or as
// thousands, which only the user can tell; false with `error` when it fails.
using ImportReread = std::function<bool(bool crowns, bilimport::Proposal& out, QString& error)>;

// Says why the source was not taken, its characters that Windows-1250 lacks
// as "?".
void ShowImportError(QString error);

// Runs the dialog "Převzetí čísel" over `proposal` (replaced when the unit is
// changed). True when the user takes the figures of `years` over.
bool RunImportPreview(QWidget* parent, bilimport::Proposal& proposal, const ImportReread& reread,
                      bilimport::Years& years);
