#include "framework/sheet.h"

#include "framework/page.h"
#include "framework/text.h"
#include "model/messages.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

CPropertySheet::CPropertySheet(int captionId, QWidget* parent, int firstPage)
    : QDialog(parent), m_firstPage(firstPage)
{
    m_caption = FromCp1250(LoadText(captionId));
    setWindowTitle(m_caption);
    setFont(DialogFont());

    m_stack = new QStackedWidget(this);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_return = new QPushButton(this);
    m_back = new QPushButton(QStringLiteral("< &Zpět"), this);
    m_next = new QPushButton(QStringLiteral("&Další >"), this);
    m_finish = new QPushButton(QStringLiteral("&Dokončit"), this);
    m_cancel = new QPushButton(QStringLiteral("Storno"), this);
    m_return->setObjectName("wizardReturn");
    m_back->setObjectName("wizardBack");
    m_next->setObjectName("wizardNext");
    m_finish->setObjectName("wizardFinish");
    m_cancel->setObjectName("wizardCancel");
    for (QPushButton* b : {m_return, m_back, m_next, m_finish, m_cancel})
        b->setAutoDefault(false);
    m_finish->hide();
    m_return->hide();

    connect(m_return, &QPushButton::clicked, this, &CPropertySheet::PressReturn);
    connect(m_back, &QPushButton::clicked, this, &CPropertySheet::PressBack);
    connect(m_next, &QPushButton::clicked, this, &CPropertySheet::PressNext);
    connect(m_finish, &QPushButton::clicked, this, &CPropertySheet::PressFinish);
    connect(m_cancel, &QPushButton::clicked, this, &CPropertySheet::PressCancel);

    auto* buttons = m_buttonRow = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_return);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addWidget(m_finish);
    buttons->addSpacing(DluToPixels(font(), 0, 0, 7, 0).width());
    buttons->addWidget(m_cancel);

    auto* layout = new QVBoxLayout(this);
    const int margin = DluToPixels(font(), 0, 0, 7, 7).width();
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(m_stack);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    ChainButtons();

    m_idle = new QTimer(this);
    m_idle->setSingleShot(true);
    m_idle->setInterval(2000);
    connect(m_idle, &QTimer::timeout, this, [this] { OnPageIdle(m_active); });
}

CPropertySheet::~CPropertySheet()
{
    // The pages belong to their owner, not to the stack. Pages that are
    // members of a derived sheet are gone already and have left the stack;
    // they must not be touched.
    for (CPropertyPage* page : m_pages)
        if (m_stack->indexOf(page) >= 0)
            page->setParent(nullptr);
}

void CPropertySheet::AddPage(CPropertyPage* page)
{
    page->m_sheet = this;
    m_pages.push_back(page);
    m_stack->addWidget(page);
}

QPushButton* CPropertySheet::AddPageButton(CPropertyPage* page, const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    button->setVisible(page == GetActivePage());
    // After the stretch, the return button and the buttons added before
    // it: left of Back.
    m_buttonRow->insertWidget(2 + int(m_pageButtons.size()), button);
    m_pageButtons.emplace_back(page, button);
    ChainButtons();
    return button;
}

void CPropertySheet::ChainButtons()
{
    QWidget* previous = nullptr;
    for (int i = 0; i < m_buttonRow->count(); ++i) {
        QWidget* w = m_buttonRow->itemAt(i)->widget();
        if (!w)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

void CPropertySheet::ShowReturnButton(const QString& text, int target)
{
    if (!GetPage(target))
        return;
    m_returnTarget = target;
    m_return->setText(text);
    m_return->setEnabled(m_buttons & PSWIZB_NEXT);
    m_return->show();
}

void CPropertySheet::HideReturnButton()
{
    m_returnTarget = -1;
    m_return->hide();
}

CPropertyPage* CPropertySheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)]
                                                : nullptr;
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return GetPage(m_active);
}

bool CPropertySheet::Activate(int index)
{
    CPropertyPage* page = GetPage(index);
    if (!page)
        return false;
    page->EnsureCreated();
    for (const auto& [owner, button] : m_pageButtons)
        button->setVisible(owner == page);
    ++m_activation;
    m_active = index;
    m_idle->stop(); // the page left has been taken over
    m_stack->setCurrentWidget(page);
    setWindowTitle(page->Title());
    page->OnSetActive();
    // The page's first tab stop takes the focus, as in a dialog that is
    // shown; before the sheet is shown it gets it when the sheet appears.
    if (QWidget* first = page->FirstTabStop())
        page->GotoDlgCtrl(first);
    return true;
}

bool CPropertySheet::SetActivePage(int index)
{
    if (!GetPage(index))
        return false;
    if (CPropertyPage* current = GetActivePage()) {
        if (!current->OnKillActive())
            return false;
        OnPageLeft(m_active, index);
    }
    return Activate(index);
}

void CPropertySheet::Move(int step, int handlerResult)
{
    Turn(m_active + step, handlerResult);
}

void CPropertySheet::Turn(int target, int handlerResult)
{
    if (handlerResult == kWizardStay)
        return;
    if (!GetPage(target))
        return;
    if (!GetActivePage()->OnKillActive())
        return;
    OnPageLeft(m_active, target);
    Activate(target);
}

void CPropertySheet::OnPageLeft(int, int) {}

void CPropertySheet::OnPageTakenOver(int) {}

void CPropertySheet::OnPageIdle(int) {}

void CPropertySheet::OnFieldChanged()
{
    m_idle->start();
}

bool CPropertySheet::Asked(unsigned button) const
{
    return GetActivePage() && m_askedBy == m_activation && (m_asked & button);
}

void CPropertySheet::PressBack()
{
    if (Asked(PSWIZB_BACK))
        Move(-1, GetActivePage()->OnWizardBack());
}

void CPropertySheet::PressNext()
{
    if (Asked(PSWIZB_NEXT) && !Asked(PSWIZB_FINISH))
        Move(+1, GetActivePage()->OnWizardNext());
}

// Where Next may go on, the return may turn to its page instead; the page
// takes over its fields by the same steps.
void CPropertySheet::PressReturn()
{
    if (m_returnTarget >= 0 && m_returnTarget != m_active && Asked(PSWIZB_NEXT) &&
        !Asked(PSWIZB_FINISH))
        Turn(m_returnTarget, GetActivePage()->OnWizardNext());
}

void CPropertySheet::PressFinish()
{
    if (Asked(PSWIZB_FINISH) && GetActivePage()->OnWizardFinish())
        accept();
}

void CPropertySheet::PressCancel()
{
    reject();
}

void CPropertySheet::reject()
{
    if (CPropertyPage* page = GetActivePage(); page && !page->OnQueryCancel())
        return;
    QDialog::reject();
}

void CPropertySheet::ShowButtons(unsigned flags)
{
    m_buttons = flags;
    const bool finish = flags & PSWIZB_FINISH;
    m_back->setEnabled(flags & PSWIZB_BACK);
    m_next->setVisible(!finish);
    m_next->setEnabled(flags & PSWIZB_NEXT);
    m_return->setEnabled(!finish && (flags & PSWIZB_NEXT));
    m_finish->setVisible(finish);
    m_finish->setEnabled(finish);
    QPushButton* def = finish ? m_finish : m_next;
    m_next->setDefault(false);
    m_finish->setDefault(false);
    def->setDefault(true);
}

void CPropertySheet::PostWizardButtons(unsigned flags)
{
    m_asked = flags;
    m_askedBy = m_activation;
    QMetaObject::invokeMethod(
        this,
        [this, flags, by = m_activation] {
            if (by == m_activation)
                ShowButtons(flags);
        },
        Qt::QueuedConnection);
}

void CPropertySheet::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier)) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Controls that take Return (the rule lists) have accepted it already.
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (!button || !button->isVisible() || !button->isEnabled())
        button = m_finish->isVisible() ? m_finish : m_next;
    if (button->isVisible() && button->isEnabled())
        button->click();
}

int CPropertySheet::DoModal()
{
    if (m_active < 0)
        Activate(m_firstPage);
    return exec();
}

