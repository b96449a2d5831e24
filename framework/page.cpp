#include "framework/page.h"

#include "framework/ddx.h"
#include "framework/sheet.h"
#include "framework/text.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>


namespace {

const DialogTemplate& TemplateOf(int id)
{
    if (const DialogTemplate* dialog = FindDialogTemplate(id))
        return *dialog;
    std::fprintf(stderr, "bil: no dialog template %d\n", id);
    std::abort();
}

} // namespace

CPropertyPage::CPropertyPage(int templateId) : CPropertyPage(TemplateOf(templateId)) {}

CPropertyPage::CPropertyPage(const DialogTemplate& dialog)
    : m_templateId(dialog.id), m_template(&dialog)
{
    setFont(DialogFont());
    setFixedSize(TemplateSize());
}

CPropertyPage::~CPropertyPage() = default;

void CPropertyPage::DoDataExchange(CDataExchange&) {}

bool CPropertyPage::OnInitDialog()
{
    UpdateData(false);
    return true;
}

bool CPropertyPage::OnSetActive()
{
    return true;
}

bool CPropertyPage::OnKillActive()
{
    return UpdateData(true);
}

bool CPropertyPage::OnQueryCancel()
{
    return true;
}

int CPropertyPage::OnWizardBack()
{
    return kWizardDefault;
}

int CPropertyPage::OnWizardNext()
{
    return kWizardDefault;
}

bool CPropertyPage::OnWizardFinish()
{
    return true;
}

void CPropertyPage::OnCommand(int, Notify) {}

bool CPropertyPage::UpdateData(bool saveAndValidate)
{
    EnsureCreated();
    const bool wasLoading = m_loading;
    m_loading = !saveAndValidate;
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    m_loading = wasLoading;
    return !dx.Failed();
}

void CPropertyPage::UpdateDataQuietly()
{
    EnsureCreated();
    CDataExchange dx(this, true, true);
    DoDataExchange(dx);
}

QPushButton* CPropertyPage::AddSheetButton(int id, const QString& text)
{
    if (!m_sheet)
        return nullptr;
    QPushButton* button = m_sheet->AddPageButton(this, text);
    connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id, Notify::Clicked); });
    m_controls[id] = button;
    return button;
}

QWidget* CPropertyPage::GetDlgItem(int id) const
{
    auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

QWidget* CPropertyPage::FirstTabStop() const
{
    for (const ControlTemplate& c : m_template->controls) {
        QWidget* w = GetDlgItem(c.id);
        if (w && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden())
            return w;
    }
    return nullptr;
}

void CPropertyPage::GotoDlgCtrl(QWidget* control)
{
    control->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->selectAll();
}

void CPropertyPage::SetControlName(int id, const std::string& name)
{
    if (QWidget* w = GetDlgItem(id))
        w->setAccessibleName(FromCp1250(name).trimmed());
}

CPropertySheet* CPropertyPage::GetParentSheet() const
{
    return m_sheet;
}

QString CPropertyPage::Title() const
{
    return QString::fromUtf8(m_template->caption);
}

QSize CPropertyPage::TemplateSize() const
{
    return DluToPixels(font(), 0, 0, m_template->w, m_template->h).size();
}

void CPropertyPage::EnsureCreated()
{
    if (m_created)
        return;
    m_created = true;
    m_controls = BuildControls(this, *m_template, font(), [this](int id, int code) {
        if (Notify(code) != Notify::Changed)
            OnCommand(id, Notify(code));
        else if (!m_loading && m_sheet && m_sheet->GetActivePage() == this)
            m_sheet->OnFieldChanged();
    });
    m_loading = true; // what the page sets up is no change of the user's
    OnInitDialog();
    m_loading = false;
}
