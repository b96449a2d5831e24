#pragma once
// The statement and the order as printed pages: on a printer, or as a PDF
// fit for the commercial register (A4, PDF/A-1b, fonts embedded, text).
// Both only read the statement.

#include <QByteArray>

#include <span>

class CUzData;
class QPagedPaintDevice;

namespace print {

enum class Part { Statement, Order };

// A4 with the margins the pages are made for.
void SetUpPage(QPagedPaintDevice& device);

// Paints `parts` on `device` one after another, each from a new page and
// numbered on its own.
void Paint(const CUzData& data, QPagedPaintDevice& device, std::span<const Part> parts);

// The PDF of one part; empty when it could not be made.
QByteArray Pdf(const CUzData& data, Part part);

} // namespace print
