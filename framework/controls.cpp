#include "framework/controls.h"

#include "framework/text.h"
#include "framework/wizard.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <private/qgenericunixthemes_p.h>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformtheme.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace {

constexpr int kDialogPoints = 8;
// The wizard window in dialog units: a page of 368 x 209 in margins of 7,
// the line and the row of 14-unit buttons below it, and room for the frame
// and the title bar a desktop adds.
constexpr int kWindowW = 368 + 2 * 7 + 2;
constexpr int kWindowH = 209 + 7 + 7 + 14 + 7 + 16;

// The size of the general font the desktop chose, in points; 0 when there
// is none. Without a desktop Qt's themes (offscreen, a bare X server, GNOME's
// without GTK) report the generic theme's font: no one chose that one.
qreal DesktopPoints()
{
    const QPlatformTheme* theme = QGuiApplicationPrivate::platformTheme();
    const QFont* font = theme ? theme->font(QPlatformTheme::SystemFont) : nullptr;
    if (!font)
        return 0;
    const QGenericUnixTheme generic;
    const QFont* fallback = generic.font(QPlatformTheme::SystemFont);
    if (fallback && font->family() == fallback->family() &&
        font->pointSizeF() == fallback->pointSizeF())
        return 0;
    return font->pointSizeF(); // -1 for a font sized in pixels
}

int LettersWidth(const QFont& font)
{
    return QFontMetrics(font).horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
}

// How wide the letters are for the base width the font gives them. The
// base width is rounded to a pixel, so at some sizes text is relatively
// wider than at others.
double Breadth(const QFont& font)
{
    return double(LettersWidth(font)) / DialogBaseUnits(font).width();
}

} // namespace

QFont DialogFont()
{
    // 8/10 of the desktop's size, so that its usual 10 or 11 points keep 8.
    int points = std::max(kDialogPoints, int(std::floor(DesktopPoints() * 8 / 10 + 1e-9)));
    QFont font("DejaVu Sans Condensed");
    font.setPointSize(kDialogPoints);
    // The pages are laid out for the 8-point font: a size whose text is
    // wider for its units than that would cut labels off.
    const double breadth = Breadth(font);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() : QSize();
    for (; points > kDialogPoints; --points) {
        font.setPointSize(points);
        const QSize window = DluToPixels(font, 0, 0, kWindowW, kWindowH).size();
        if (Breadth(font) <= breadth && (!screen || room.expandedTo(window) == room))
            return font;
    }
    font.setPointSize(kDialogPoints);
    return font;
}

QSize DialogBaseUnits(const QFont& font)
{
    return {(LettersWidth(font) / 26 + 1) / 2, QFontMetrics(font).height()};
}

namespace {

int MulDiv(int a, int b, int c)
{
    return (a * b + c / 2) / c;
}

} // namespace

QRect DluToPixels(const QFont& font, int x, int y, int w, int h)
{
    const QSize base = DialogBaseUnits(font);
    const int bx = base.width();
    const int by = base.height();
    const int left = MulDiv(x, bx, 4);
    const int top = MulDiv(y, by, 8);
    return {left, top, MulDiv(x + w, bx, 4) - left, MulDiv(y + h, by, 8) - top};
}

void CEditCtrl::initStyleOption(QStyleOptionFrame* option) const
{
    QLineEdit::initStyleOption(option);
    if (!isReadOnly())
        return;
    option->state &= ~QStyle::State_HasFocus;
    option->palette.setBrush(QPalette::Base, option->palette.window());
}

void CEditCtrl::paintEvent(QPaintEvent* event)
{
    if (m_beforePaint)
        m_beforePaint(*this);
    QLineEdit::paintEvent(event);
    if (!isReadOnly() || !hasFocus())
        return;
    // Where the focus is, without the frame that invites typing.
    QStylePainter painter(this);
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(2, 2, -2, -2);
    focus.backgroundColor = palette().color(QPalette::Window);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
}

void CEditCtrl::showEvent(QShowEvent* event)
{
    if (m_beforePaint)
        m_beforePaint(*this);
    QLineEdit::showEvent(event);
}

void CEditCtrl::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // Tab and shortcuts select the text already; coming back to the window
    // does too, as in a dialog, so that typing replaces the figure.
    if (event->reason() == Qt::ActiveWindowFocusReason && !hasSelectedText())
        selectAll();
}

bool CEditCtrl::OfferPaste()
{
    return m_onPaste && !isReadOnly() && m_onPaste(QGuiApplication::clipboard()->text());
}

void CEditCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste) && OfferPaste())
        return;
    QLineEdit::keyPressEvent(event);
}

void CEditCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste (translated, with its shortcut after a tab) takes the
    // way Ctrl+V takes.
    const QString paste = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction* action : menu->actions()) {
        if (m_onPaste && action->text().section(u'\t', 0, 0) == paste) {
            disconnect(action, &QAction::triggered, this, nullptr);
            connect(action, &QAction::triggered, this, [this] {
                if (!OfferPaste())
                    QLineEdit::paste();
            });
        }
    }
    menu->popup(event->globalPos());
}

namespace {

// A list box on which Return or Space acts on the selected entry as a
// double-click does. Its entries have no place on the screen while it is
// hidden (its page is not shown), so a screen reader does not take them for
// visible.
class CListCtrl : public QListWidget {
public:
    using QListWidget::QListWidget;
    std::function<void()> m_onFocus;
    QRect visualRect(const QModelIndex& index) const override
    {
        return isVisible() ? QListWidget::visualRect(index) : QRect();
    }

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QListWidget::focusInEvent(event);
        if (m_onFocus)
            m_onFocus();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        const int key = event->key();
        QListWidgetItem* item = currentItem();
        const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && plain &&
            item && item->isSelected()) {
            emit itemDoubleClicked(item);
            return;
        }
        // With nothing selected yet, the first arrow selects the entry the
        // caret stands on (the first one) rather than the one after it.
        if ((key == Qt::Key_Down || key == Qt::Key_Up) && plain && item &&
            selectedItems().isEmpty()) {
            item->setSelected(true);
            return;
        }
        QListWidget::keyPressEvent(event);
    }
};

// A drop-down list whose entries, while it is closed, have no place on the
// screen either: they stand in a hidden window then. Otherwise the list
// looks as the style draws it.
class CDropDownView : public QListView {
public:
    explicit CDropDownView(QComboBox* combo) : m_combo(combo) {}
    bool m_opening = false;
    QRect visualRect(const QModelIndex& index) const override
    {
        return isVisible() || m_opening ? QListView::visualRect(index) : QRect();
    }

protected:
    void initViewItemOption(QStyleOptionViewItem* option) const override
    {
        QListView::initViewItemOption(option);
        option->showDecorationSelected = true;
        option->font = m_combo->font();
    }

private:
    QComboBox* m_combo;
};

class CDropDownList : public QComboBox {
public:
    explicit CDropDownList(QWidget* parent) : QComboBox(parent), m_view(new CDropDownView(this))
    {
        // The style's delegate belongs to the view being replaced.
        QAbstractItemDelegate* delegate = itemDelegate();
        delegate->setParent(this);
        setView(m_view);
        setItemDelegate(delegate);
    }
    void showPopup() override
    {
        // Opening measures the entries before the list is shown.
        m_view->m_opening = true;
        QComboBox::showPopup();
        m_view->m_opening = false;
    }

private:
    CDropDownView* m_view;
};

QWidget* MakeEdit(QWidget* parent, const ControlTemplate& c, const QFont& font)
{
    if (!(c.style & CtlMultiLine)) {
        auto* edit = new CEditCtrl(parent);
        // Texts without a limit must come back whole, not cut at Qt's 32767.
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setReadOnly(c.style & CtlReadOnly);
        edit->setFrame(c.style & CtlBorder);
        return edit;
    }
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(c.style & CtlReadOnly);
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode((c.style & CtlWordWrap) ? QPlainTextEdit::WidgetWidth
                                                   : QPlainTextEdit::NoWrap);
    edit->setVerticalScrollBarPolicy((c.style & CtlVScroll) ? Qt::ScrollBarAsNeeded
                                                           : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy((c.style & CtlHScroll) ? Qt::ScrollBarAsNeeded
                                                             : Qt::ScrollBarAlwaysOff);
    if (!(c.style & CtlBorder))
        edit->setFrameShape(QFrame::NoFrame);
    // Tab stops every 32 horizontal dialog units, as in the classic edit.
    edit->setTabStopDistance(DluToPixels(font, 0, 0, 32, 0).width());
    return edit;
}

// Qt draws some texts wider than the dialog units allow for (a check box's
// indicator, a label's last letters): widen such a control rather than cut
// its text off, moving it left where it would leave the page.
void FitText(QWidget* w, const ControlTemplate& c, int pageWidth)
{
    const bool singleLineText = (c.kind == CtlKind::Static && !(c.style & CtlWordWrap)) ||
                                c.kind == CtlKind::CheckBox;
    if (!singleLineText)
        return;
    QRect r = w->geometry();
    const int needed = w->sizeHint().width();
    if (needed <= r.width())
        return;
    r.setWidth(needed);
    if (r.right() >= pageWidth)
        r.moveRight(pageWidth - 1);
    w->setGeometry(r);
}

} // namespace

ControlMap BuildControls(QWidget* parent, const DialogTemplate& dlg, const QFont& font,
                         const std::function<void(int, int)>& notify)
{
    ControlMap map;
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* w) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    };
    std::vector<QWidget*> last;
    for (const ControlTemplate& c : dlg.controls) {
        const QString text = QString::fromUtf8(c.text ? c.text : "");
        QWidget* w = nullptr;
        switch (c.kind) {
        case CtlKind::Static: {
            auto* label = new QLabel(text, parent);
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(c.style & CtlWordWrap);
            const Qt::Alignment h = (c.style & CtlCenter) ? Qt::AlignHCenter : Qt::AlignLeft;
            label->setAlignment(h | Qt::AlignVCenter);
            w = label;
            break;
        }
        case CtlKind::Edit:
            w = MakeEdit(parent, c, font);
            // What the user may change: typed, pasted, cut, undone. (The
            // multi-line edits are all read-only.)
            if (auto* line = qobject_cast<QLineEdit*>(w); line && !line->isReadOnly())
                QObject::connect(line, &QLineEdit::textChanged, parent,
                                 [notify, id = c.id] { notify(id, int(Notify::Changed)); });
            break;
        case CtlKind::Button: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            QObject::connect(button, &QPushButton::clicked, parent,
                             [notify, id = c.id] { notify(id, int(Notify::Clicked)); });
            w = button;
            break;
        }
        case CtlKind::CheckBox: {
            auto* box = new QCheckBox(text, parent);
            QObject::connect(box, &QCheckBox::clicked, parent,
                             [notify, id = c.id] { notify(id, int(Notify::Clicked)); });
            w = box;
            break;
        }
        case CtlKind::ListBox: {
            auto* list = new CListCtrl(parent);
            list->setSortingEnabled(false);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            if (c.style & CtlNotify) {
                QObject::connect(list, &QListWidget::itemDoubleClicked, parent,
                                 [notify, id = c.id] { notify(id, int(Notify::DblClk)); });
                QObject::connect(list, &QListWidget::itemSelectionChanged, parent,
                                 [notify, id = c.id] { notify(id, int(Notify::SelChange)); });
                list->m_onFocus = [notify, id = c.id] { notify(id, int(Notify::SetFocus)); };
            }
            w = list;
            break;
        }
        case CtlKind::ComboBox: {
            auto* combo = new CDropDownList(parent);
            combo->setEditable(false);
            QObject::connect(combo, &QComboBox::activated, parent,
                             [notify, id = c.id] { notify(id, int(Notify::Changed)); });
            w = combo;
            break;
        }
        case CtlKind::GroupBox: {
            auto* group = new QGroupBox(text, parent);
            w = group;
            break;
        }
        case CtlKind::HLine: {
            auto* line = new QFrame(parent);
            line->setFrameShape(QFrame::HLine);
            line->setFrameShadow(QFrame::Sunken);
            w = line;
            break;
        }
        }
        w->setFont(font);
        w->show(); // children made after their page was shown start hidden
        w->setGeometry(DluToPixels(font, c.x, c.y, c.w, c.h));
        FitText(w, c, parent->width());
        const bool tabStop = c.style & CtlTabStop;
        if (c.kind != CtlKind::Static && c.kind != CtlKind::GroupBox && c.kind != CtlKind::HLine)
            w->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
        if (c.kind == CtlKind::GroupBox || c.kind == CtlKind::HLine)
            w->lower(); // frames stay behind the controls they surround
        if (c.id != kNoId) {
            w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
            map[c.id] = w;
        }
        if (w->focusPolicy() & Qt::TabFocus)
            (c.style & CtlTabLast) ? last.push_back(w) : chain(w);
    }
    for (QWidget* w : last)
        chain(w);
    return map;
}

void CListBox::ResetContent()
{
    m_pCtrl->clear();
}

int CListBox::AddString(const std::string& text)
{
    try {
        auto* item = new QListWidgetItem(FromCp1250(text));
        m_pCtrl->addItem(item);
        return m_pCtrl->row(item);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int CListBox::GetCurSel() const
{
    return m_pCtrl->currentItem() && m_pCtrl->currentItem()->isSelected() ? m_pCtrl->currentRow()
                                                                          : -1;
}

int CComboBox::AddString(const std::string& text)
{
    m_pCtrl->addItem(FromCp1250(text));
    return m_pCtrl->count() - 1;
}

int CComboBox::GetCurSel() const
{
    return m_pCtrl->currentIndex();
}

void CComboBox::SetCurSel(int index)
{
    m_pCtrl->setCurrentIndex(index >= 0 && index < m_pCtrl->count() ? index : -1);
}
