#pragma once
// The wizard: one modal dialog that shows one page at a time, with the
// buttons Back, Next (or Finish) and Cancel.

#include "framework/wizard.h"

#include <QDialog>

#include <vector>

class CPropertyPage;
class QPushButton;
class QStackedWidget;

class CPropertySheet : public QDialog {
public:
    // captionId: string-table id of the sheet's caption.
    CPropertySheet(int captionId, QWidget* parent = nullptr, int firstPage = 0);
    ~CPropertySheet() override;

    void AddPage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const { return m_active; }

    // Turns to the page at `index`; the current page may refuse to be left.
    bool SetActivePage(int index);

    // Which wizard buttons are enabled (PSWIZB_*): at once, or after the
    // current event has been handled, as pages ask on activation.
    void SetWizardButtons(unsigned flags);
    void PostWizardButtons(unsigned flags);
    unsigned WizardButtons() const { return m_buttons; }

    // Shows the first page and runs the wizard modally.
    int DoModal();

    // The wizard buttons, as a user presses them.
    void PressBack();
    void PressNext();
    void PressFinish();
    void PressCancel();

    QPushButton* BackButton() const { return m_back; }
    QPushButton* NextButton() const { return m_next; }
    QPushButton* FinishButton() const { return m_finish; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    // The desktop colours changed.
    virtual void OnSysColorChange();

    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Activate(int index);
    void Move(int step, int handlerResult);

    std::vector<CPropertyPage*> m_pages;
    QStackedWidget* m_stack;
    QPushButton* m_back;
    QPushButton* m_next;
    QPushButton* m_finish;
    QPushButton* m_cancel;
    int m_active = -1;
    int m_firstPage;
    unsigned m_buttons = 0;
    QString m_caption;
};
