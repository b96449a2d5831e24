#pragma once
// A wizard page: a widget built from its dialog template the first time it is
// shown, with the handlers the sheet calls as the user moves through the
// wizard. Pages override the handlers they need.

#include "framework/controls.h"
#include "framework/wizard.h"

#include <QWidget>

#include <string>

class CDataExchange;
class CPropertySheet;
class QPushButton;

class CPropertyPage : public QWidget {
public:
    explicit CPropertyPage(int templateId);
    // A page on a template of its own, which must outlive it.
    explicit CPropertyPage(const DialogTemplate& dialog);
    ~CPropertyPage() override;

    // Field binding, run by UpdateData in both directions.
    virtual void DoDataExchange(CDataExchange& dx);
    // First showing, after the controls exist: the first exchange.
    virtual bool OnInitDialog();
    virtual bool OnSetActive();
    // Leaving the page in any direction; false keeps the wizard on it.
    virtual bool OnKillActive();
    // Cancel or closing the window; true lets the wizard close.
    virtual bool OnQueryCancel();
    virtual int OnWizardBack();
    virtual int OnWizardNext();
    // True closes the wizard.
    virtual bool OnWizardFinish();
    // A control's notification (button clicked, list double-clicked).
    virtual void OnCommand(int id, Notify code);

    // save = false: data into the controls; true: from the controls, with
    // validation. False when a field was refused.
    bool UpdateData(bool saveAndValidate = true);
    // From the controls as far as the fields are valid, without a word and
    // without touching focus, selection or any control: a field that would
    // be refused keeps its value (a draft while the user types).
    void UpdateDataQuietly();

    // A push button `id` of this page in the sheet's button row, shown
    // while the page is active; its clicks come to OnCommand. Added after
    // the page's controls, it follows them in the Tab order.
    QPushButton* AddSheetButton(int id, const QString& text);

    QWidget* GetDlgItem(int id) const;
    // The first control in tab order that can take the focus, or nullptr.
    QWidget* FirstTabStop() const;
    // Focuses a control as the keyboard does: an edit's text is selected,
    // so that typing replaces it.
    void GotoDlgCtrl(QWidget* control);
    template <class T>
    T* Control(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    CPropertySheet* GetParentSheet() const;
    // The name a screen reader gives the control (Windows-1250 text, trimmed).
    void SetControlName(int id, const std::string& name);

    int TemplateId() const { return m_templateId; }
    QString Title() const;
    QSize TemplateSize() const;
    bool IsCreated() const { return m_created; }
    // Builds the controls and runs OnInitDialog, once.
    void EnsureCreated();

private:
    friend class CPropertySheet;
    int m_templateId;
    const DialogTemplate* m_template;
    ControlMap m_controls;
    bool m_created = false;
    bool m_loading = false; // fields being set by the page, not by the user
    CPropertySheet* m_sheet = nullptr;
};
