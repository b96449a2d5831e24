#include "framework/ddx.h"

#include "framework/controls.h"
#include "framework/page.h"
#include "framework/text.h"
#include "model/messages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVariant>

#include <cstdio>
#include <cstdlib>
#include <limits>

CDataExchange::CDataExchange(CPropertyPage* page, bool saveAndValidate, bool quiet)
    : m_bSaveAndValidate(saveAndValidate), m_bQuiet(quiet && saveAndValidate), m_pDlgWnd(page)
{
}

QWidget* CDataExchange::PrepareCtrl(int id)
{
    QWidget* w = m_pDlgWnd->GetDlgItem(id);
    if (!w) {
        std::fprintf(stderr, "bil: dialog %d has no control %d\n", m_pDlgWnd->TemplateId(), id);
        std::abort();
    }
    m_pLastCtrl = w;
    return w;
}

void CDataExchange::Fail(const char* promptUtf8)
{
    Fail(Cp1250(promptUtf8));
}

void CDataExchange::Fail(const std::string& promptCp1250)
{
    if (m_bQuiet)
        return;
    m_bFailed = true;
    AppMessageBox(promptCp1250, MB_ICONEXCLAMATION | MB_OK);
    QWidget* field = m_pLastEdit ? m_pLastEdit : m_pLastCtrl;
    if (!field)
        return;
    field->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(field))
        edit->selectAll();
    else if (auto* text = qobject_cast<QPlainTextEdit*>(field))
        text->selectAll();
}

namespace {

// The text a label was given, before JoinWords.
constexpr const char* kLabelText = "bilText";

// A wrapping label breaks its lines at blanks only, as a dialog's static
// text does; Qt would also break inside "(B.III.1.)". Word joiners between
// the letters of a word keep it whole.
QString JoinWords(const QString& text)
{
    QString out;
    out.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        if (i + 1 < text.size() && !text[i].isSpace() && !text[i + 1].isSpace() &&
            !text[i].isHighSurrogate())
            out += QChar(0x2060);
    }
    return out;
}

QString WindowText(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        // The multi-line edit holds CR LF line ends, as the statement does.
        QString s = t->toPlainText();
        s.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return s;
    }
    if (auto* l = qobject_cast<QLabel*>(w)) {
        const QVariant text = l->property(kLabelText);
        return text.isValid() ? text.toString() : l->text();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w))
        return b->text();
    return w->windowTitle();
}

void SetWindowText(QWidget* w, const QString& text)
{
    if (auto* e = qobject_cast<QLineEdit*>(w)) {
        e->setText(text);
        e->setCursorPosition(0);
    } else if (auto* t = qobject_cast<QPlainTextEdit*>(w)) {
        QString s = text;
        s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        t->setPlainText(s);
    } else if (auto* l = qobject_cast<QLabel*>(w)) {
        l->setProperty(kLabelText, text);
        l->setText(l->wordWrap() ? JoinWords(text) : text);
        // A screen reader would spell the joined words letter by letter.
        if (l->wordWrap())
            l->setAccessibleName(text);
    } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        b->setText(text);
    } else {
        w->setWindowTitle(text);
    }
}

bool IsEditable(QWidget* w)
{
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return !e->isReadOnly();
    if (auto* t = qobject_cast<QPlainTextEdit*>(w))
        return !t->isReadOnly();
    return false;
}

bool IsEdit(QWidget* w)
{
    return qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w);
}

} // namespace

void DDX_Text(CDataExchange& dx, int id, std::string& value)
{
    if (dx.Failed())
        return;
    QWidget* w = dx.PrepareCtrl(id);
    if (IsEdit(w))
        dx.m_pLastEdit = w;
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (dx.m_bSaveAndValidate && !ToCp1250(combo->currentText(), value))
            value.clear();
        return;
    }
    if (!dx.m_bSaveAndValidate) {
        SetWindowText(w, FromCp1250(value));
        return;
    }
    if (IsEdit(w) && !IsEditable(w))
        return; // nothing the user could have changed
    // An edit the user has not touched since it was loaded gives its value
    // back unchanged: every byte, however long, whatever Qt would make of it.
    if (auto* edit = qobject_cast<QLineEdit*>(w); edit && !edit->isModified())
        return;
    std::string text;
    qsizetype bad = 0;
    if (!ToCp1250(WindowText(w), text, &bad)) {
        char prompt[200];
        std::snprintf(prompt, sizeof prompt,
                      "Pole obsahuje na %lld. místě znak, který nelze uložit v kódování "
                      "Windows-1250.\nNahraďte jej jiným znakem.",
                      static_cast<long long>(bad) + 1);
        dx.Fail(prompt);
        return;
    }
    if (dx.m_bQuiet && IsEdit(w)) { // a label read back between edit and check
        dx.m_pLastText = &value;
        dx.m_lastTextBefore = value;
    }
    value = std::move(text);
}

void DDX_FileName(CDataExchange& dx, int id, std::string& path, int maxChars)
{
    if (dx.Failed())
        return;
    QWidget* w = dx.PrepareCtrl(id);
    if (!dx.m_bSaveAndValidate) {
        SetWindowText(w, FileNameText(path));
        return;
    }
    if (maxChars >= 0 && FileNameText(path).size() > maxChars) {
        char prompt[120];
        std::snprintf(prompt, sizeof prompt, "Zadejte nejvýše %d znaků.", maxChars);
        dx.Fail(prompt);
    }
}

bool ParseInt32(const std::string& text, std::int32_t& value, bool* outOfRange)
{
    if (outOfRange)
        *outOfRange = false;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const std::size_t digitsStart = i;
    std::int64_t magnitude = 0;
    bool tooBig = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1)
            tooBig = true, magnitude = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 2;
        ++i;
    }
    if (i == digitsStart)
        return false;
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i != n)
        return false;
    const std::int64_t v = negative ? -magnitude : magnitude;
    if (tooBig || v < std::numeric_limits<std::int32_t>::min() ||
        v > std::numeric_limits<std::int32_t>::max()) {
        if (outOfRange)
            *outOfRange = true;
        return false;
    }
    value = static_cast<std::int32_t>(v);
    return true;
}

void DDX_Text(CDataExchange& dx, int id, std::int32_t& value)
{
    if (dx.Failed())
        return;
    QWidget* w = dx.PrepareCtrl(id);
    dx.m_pLastEdit = w;
    if (!dx.m_bSaveAndValidate) {
        SetWindowText(w, QString::number(value));
        return;
    }
    std::string text;
    bool outOfRange = false;
    std::int32_t parsed = 0;
    if (!ToCp1250(WindowText(w), text) || !ParseInt32(text, parsed, &outOfRange)) {
        dx.Fail(outOfRange ? "Zadejte celé číslo od -2147483648 do 2147483647."
                           : "Zadejte celé číslo.");
        return;
    }
    value = parsed;
}

void DDV_MaxChars(CDataExchange& dx, const std::string& value, int maxChars)
{
    if (dx.Failed() || !dx.m_bSaveAndValidate || maxChars < 0)
        return;
    if (value.size() > static_cast<std::size_t>(maxChars)) {
        // Quietly, a text too long is not taken over at all.
        if (dx.m_bQuiet && dx.m_pLastText == &value)
            *dx.m_pLastText = dx.m_lastTextBefore;
        char prompt[120];
        std::snprintf(prompt, sizeof prompt, "Zadejte nejvýše %d znaků.", maxChars);
        dx.Fail(prompt);
    }
}

void DDX_Check(CDataExchange& dx, int id, int& value)
{
    if (dx.Failed())
        return;
    auto* box = qobject_cast<QCheckBox*>(dx.PrepareCtrl(id));
    if (!box)
        return;
    if (dx.m_bSaveAndValidate)
        value = box->isChecked() ? 1 : 0;
    else
        box->setChecked(value != 0);
}

void DDX_Control(CDataExchange& dx, int id, CListBox& box)
{
    if (dx.Failed())
        return;
    if (!box.m_pCtrl)
        box.m_pCtrl = qobject_cast<QListWidget*>(dx.PrepareCtrl(id));
}

void DDX_Control(CDataExchange& dx, int id, CComboBox& box)
{
    if (dx.Failed())
        return;
    if (!box.m_pCtrl)
        box.m_pCtrl = qobject_cast<QComboBox*>(dx.PrepareCtrl(id));
}
