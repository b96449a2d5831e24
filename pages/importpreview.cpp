#include "pages/importpreview.h"

#include "framework/text.h"
#include "model/messages.h"
#include "text/figures.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

using bilimport::Proposal;
using bilimport::Years;

namespace {

QString Figure(std::int32_t n)
{
    return QString::fromStdString(FigureText(n));
}

class PreviewDialog : public QDialog {
public:
    PreviewDialog(QWidget* parent, Proposal& proposal, const ImportReread& reread)
        : QDialog(parent), m_proposal(proposal), m_reread(reread)
    {
        setWindowTitle(QStringLiteral("Převzetí čísel"));
        m_summary = new QLabel(this);
        m_summary->setWordWrap(true);
        m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        m_summary->setFocusPolicy(Qt::StrongFocus);
        m_summary->setAccessibleName(QStringLiteral("Souhrn převzetí"));

        auto* choice = new QHBoxLayout;
        const QString names[] = {QStringLiteral("&Oba roky"), QStringLiteral("Jen &běžný rok"),
                                 QStringLiteral("Jen &minulý rok")};
        for (int k = 0; k < 3; ++k) {
            auto* radio = new QRadioButton(names[k], this);
            m_years.addButton(radio, k);
            choice->addWidget(radio);
        }
        m_years.button(0)->setChecked(true);
        m_crowns = new QCheckBox(QStringLiteral("Čísla CSV jsou v &korunách"), this);
        m_crowns->setVisible(!proposal.FromXml());
        choice->addWidget(m_crowns);
        choice->addStretch(1);

        m_table = new QTableWidget(0, 5, this);
        m_table->setHorizontalHeaderLabels({QStringLiteral("Řádek"), QStringLiteral("Běžný rok"),
                                            QStringLiteral("Minulý rok"), QStringLiteral("Stav"),
                                            QStringLiteral("Zdroj")});
        m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_table->setSelectionMode(QAbstractItemView::SingleSelection);
        m_table->setTabKeyNavigation(false); // Tab goes on to the buttons
        m_table->verticalHeader()->hide();
        m_table->setAccessibleName(QStringLiteral("Řádky výkazu: nyní → po převzetí"));

        auto* buttons = new QDialogButtonBox(this);
        QPushButton* take = buttons->addButton(QStringLiteral("&Převzít"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("Storno"), QDialogButtonBox::RejectRole);
        take->setDefault(true);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(&m_years, &QButtonGroup::idClicked, this, [this] { Show(); });
        connect(m_crowns, &QCheckBox::toggled, this, &PreviewDialog::Reread);

        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_summary);
        layout->addLayout(choice);
        layout->addWidget(m_table, 1);
        layout->addWidget(buttons);
        Show();
        m_table->resizeColumnsToContents();
        const QRect screen = (parent ? parent->screen() : QGuiApplication::primaryScreen())->availableGeometry();
        const int wide = m_table->horizontalHeader()->length() + 60;
        resize(std::min(wide, screen.width() * 9 / 10), std::min(640, screen.height() * 9 / 10));
        m_table->setFocus();
        m_table->selectRow(0);
    }

    Years Chosen() const { return static_cast<Years>(m_years.checkedId()); }

private:
    // The summary and the rows for the years chosen: a cell that changes
    // reads "now → new" in bold; one kept, or not taken, its figure.
    void Show()
    {
        const Years years = Chosen();
        m_summary->setText(m_proposal.Summary(years).join(u'\n'));
        const auto& rows = m_proposal.Rows();
        m_table->setRowCount(int(rows.size()));
        for (int r = 0; r < int(rows.size()); ++r) {
            const bilimport::RowProposal& row = rows[std::size_t(r)];
            QString texts[5] = {row.label, {}, {}, row.StatusLine(), row.source};
            bool changed[2] = {};
            for (int year = 0; year < 2; ++year) {
                changed[year] = bilimport::Takes(years, year) && row.Changes(year);
                texts[1 + year] = changed[year]
                                      ? Figure(row.now[year]) + QStringLiteral(" → ") + Figure(row.value[year])
                                      : Figure(row.now[year]);
            }
            for (int c = 0; c < 5; ++c) {
                auto* item = new QTableWidgetItem(texts[c]);
                if (c == 1 || c == 2) {
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    QFont font = m_table->font();
                    font.setBold(changed[c - 1]);
                    item->setFont(font);
                    if (changed[c - 1])
                        item->setToolTip(QStringLiteral("Číslo se převzetím změní"));
                }
                m_table->setItem(r, c, item);
            }
        }
    }

    void Reread(bool crowns)
    {
        Proposal again;
        QString error;
        if (!m_reread(crowns, again, error)) {
            ShowImportError(error);
            const QSignalBlocker block(m_crowns);
            m_crowns->setChecked(!crowns);
            return;
        }
        m_proposal = std::move(again);
        Show();
    }

    Proposal& m_proposal;
    const ImportReread& m_reread;
    QLabel* m_summary;
    QButtonGroup m_years;
    QCheckBox* m_crowns;
    QTableWidget* m_table;
};

} // namespace

void ShowImportError(QString error)
{
    std::string text;
    for (qsizetype bad = 0; !ToCp1250(error, text, &bad) && bad < error.size();)
        error[bad] = u'?';
    AppMessageBox(text, MB_ICONEXCLAMATION | MB_OK);
}

bool RunImportPreview(QWidget* parent, Proposal& proposal, const ImportReread& reread, Years& years)
{
    PreviewDialog dialog(parent, proposal, reread);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    years = dialog.Chosen();
    return true;
}
