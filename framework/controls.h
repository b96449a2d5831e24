#pragma once
// Widgets built from dialog templates, and the thin control wrappers pages
// use for lists and combo boxes.

#include "res/dialogs.h"

#include <QFont>
#include <QLineEdit>
#include <QRect>

#include <functional>
#include <map>
#include <string>

class QComboBox;
class QListWidget;
class QWidget;

// The dialog font and its base units: the templates' 8-point font is
// substituted by DejaVu Sans Condensed 8, whose base units match the
// original ones (6 x 13 pixels at 96 dpi). A desktop whose general font is
// larger gets up to 8/10 of its size: the largest at which texts keep the room
// the pages give them and the whole window fits the screen's free area. The
// pages keep their size in dialog units; their pixels grow.
QFont DialogFont();
QSize DialogBaseUnits(const QFont& font);
QRect DluToPixels(const QFont& font, int x, int y, int w, int h);

// A single-line edit that lets its owner adjust it right before it paints
// (used to colour marked figures) and take over pasting.
class CEditCtrl : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void(CEditCtrl&)> m_beforePaint;
    // Offered the clipboard's text when Ctrl+V or the context menu pastes
    // into an editable field; false lets the edit paste it itself.
    std::function<bool(const QString&)> m_onPaste;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // A read-only field looks like one: the window's colour, no focus frame.
    void initStyleOption(QStyleOptionFrame* option) const override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool OfferPaste();
};

// Controls of one dialog, by id.
using ControlMap = std::map<int, QWidget*>;

// Creates the controls of `dlg` as children of `parent`, in template order
// (which is the tab order), positioned in pixels of `font`. `notify` is
// called for button clicks, list double-clicks and changed fields.
ControlMap BuildControls(QWidget* parent, const DialogTemplate& dlg, const QFont& font,
                         const std::function<void(int, int)>& notify);

// List box access in the terms pages use; texts are Windows-1250.
class CListBox {
public:
    QListWidget* m_pCtrl = nullptr;

    void ResetContent();
    // Index of the new entry, or -1 when it could not be added.
    int AddString(const std::string& text);
    int GetCurSel() const; // -1: none
};

// Drop-down list access; -1 selects nothing.
class CComboBox {
public:
    QComboBox* m_pCtrl = nullptr;

    int AddString(const std::string& text);
    int GetCurSel() const;
    void SetCurSel(int index);
};
