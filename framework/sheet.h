#pragma once
// The wizard: one modal dialog that shows one page at a time, with the
// buttons Back, Next (or Finish) and Cancel.

#include "framework/wizard.h"

#include <QDialog>

#include <vector>

class CPropertyPage;
class QHBoxLayout;
class QPushButton;
class QStackedWidget;
class QTimer;

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

    // The wizard buttons (PSWIZB_*) the active page asks for on activation.
    // The sheet acts on them at once; the buttons show them once the current
    // event has been handled. A request of a page that is no longer active
    // counts for nothing.
    void PostWizardButtons(unsigned flags);
    // The buttons as shown.
    unsigned WizardButtons() const { return m_buttons; }

    // Shows the first page and runs the wizard modally.
    int DoModal();

    // The wizard buttons, as a user presses them.
    void PressBack();
    void PressNext();
    void PressFinish();
    void PressCancel();

    // A push button of `page` in the button row, left of Back, shown only
    // while that page is active.
    QPushButton* AddPageButton(CPropertyPage* page, const QString& text);

    // The active page has taken over figures or texts without being left
    // (the statement changed under it), as leaving it would have.
    virtual void OnPageTakenOver(int index);

    // A field of the active page was changed by the user. Two seconds
    // without another change, OnPageIdle follows.
    void OnFieldChanged();

    // A button leftmost in the row that turns straight to page `target`, the
    // active page left as Next would leave it; shown on every page until
    // hidden.
    void ShowReturnButton(const QString& text, int target);
    void HideReturnButton();
    void PressReturn();
    QPushButton* ReturnButton() const { return m_return; }

    QPushButton* BackButton() const { return m_back; }
    QPushButton* NextButton() const { return m_next; }
    QPushButton* FinishButton() const { return m_finish; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    // The page at `from` has let the wizard go to `to`, which is shown next.
    virtual void OnPageLeft(int from, int to);
    // The user has stopped changing the fields of the active page `index`.
    virtual void OnPageIdle(int index);
    void reject() override;
    // Return presses the focused push button, elsewhere Next or Finish.
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool Activate(int index);
    void Move(int step, int handlerResult);
    void Turn(int target, int handlerResult);
    // Tab goes along the row as it is laid out.
    void ChainButtons();
    void ShowButtons(unsigned flags);
    // True when the active page asked for the button.
    bool Asked(unsigned button) const;

    std::vector<CPropertyPage*> m_pages;
    std::vector<std::pair<CPropertyPage*, QPushButton*>> m_pageButtons;
    QHBoxLayout* m_buttonRow;
    QStackedWidget* m_stack;
    QPushButton* m_return;
    QPushButton* m_back;
    QPushButton* m_next;
    QPushButton* m_finish;
    QPushButton* m_cancel;
    QTimer* m_idle;
    int m_active = -1;
    int m_returnTarget = -1;
    int m_firstPage;
    unsigned m_activation = 0; // counts activations
    unsigned m_asked = 0;      // buttons asked for by activation m_askedBy
    unsigned m_askedBy = 0;
    unsigned m_buttons = 0;
    QString m_caption;
};
