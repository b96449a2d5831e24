#pragma once
// The steps the data pages share: the forward flag, loading the fields on
// every activation, Back and Next enabled, and the question before Cancel.

#include "framework/page.h"

#include <span>

class CUzDataPage : public CPropertyPage {
public:
    using CPropertyPage::CPropertyPage;

    bool OnSetActive() override;
    bool OnQueryCancel() override;
    int OnWizardBack() override;
    int OnWizardNext() override;

    // 1 only while the page is being left by Next.
    int m_bNext = 0;
};

// Question 10029 before the wizard closes unfinished.
bool AskCancel();

class CUzItem;
struct CheckStop;

// One field of a data page and the item it shows; `number` for the IČO,
// which is exchanged as an integer.
struct ItemField {
    int tag;
    int edit;
    int label;
    bool number = false;
};

// One field of a data page: the edit attached to the item's mark, the value
// exchanged, the label control given the item's label, then (text items
// with a limit) the length checked.
void ExchangeTextItem(CDataExchange& dx, CUzItem& item, int edit, int label);
void ExchangeNumberItem(CDataExchange& dx, CUzItem& item, int edit, int label);
// The fields in order, each as above.
void ExchangeItems(CDataExchange& dx, std::span<const ItemField> fields);

// The labels of the fields whose items are among `tags`, in bold.
void BoldLabels(CPropertyPage& page, std::span<const ItemField> fields, std::span<const int> tags);
// A form refused on Next: its message `id` naming the field (unless the user
// has just declined a question about it), then that field focused with its
// text selected.
void RefuseForm(CPropertyPage& page, std::span<const ItemField> fields, int id,
                const CheckStop& stop);
