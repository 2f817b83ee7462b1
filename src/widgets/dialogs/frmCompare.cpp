#include "widgets/dialogs/frmCompare.h"

#include "widgets/dialogs/CompareModel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace kalvex {

frmCompare::frmCompare(const SetupData& dataSet, std::vector<ItemDifference> differences,
                       int setCode, DataCompare& compare, Prompt& prompt, QWidget* parent)
    : QDialog(parent), m_data(dataSet), m_setCode(setCode), m_compare(compare), m_prompt(prompt),
      m_model(new CompareModel(std::move(differences), this)) {
    setupUi();
    connect(m_model, &CompareModel::tickChanged, this, &frmCompare::updateCount);
    connect(ui.cmdDownload, &QPushButton::clicked, this, &frmCompare::cmdDownload_Click);
    connect(ui.cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    updateCount();
}

void frmCompare::setupUi() {
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QStringLiteral("Compare with Board"));
    ui.grdDifferences = new QTableView(this);
    ui.grdDifferences->setObjectName(QStringLiteral("grdDifferences"));
    ui.grdDifferences->setModel(m_model);
    ui.grdDifferences->verticalHeader()->hide();
    ui.grdDifferences->horizontalHeader()->setStretchLastSection(true);
    ui.grdDifferences->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.grdDifferences->resizeColumnsToContents();
    ui.grdDifferences->installEventFilter(this);
    ui.lblCount = new QLabel(this);
    ui.lblCount->setObjectName(QStringLiteral("lblCount"));
    ui.chkVerify = new QCheckBox(QStringLiteral("&Verify after download"), this);
    ui.chkVerify->setObjectName(QStringLiteral("chkVerify"));
    ui.chkVerify->setChecked(true);
    ui.cmdDownload = new QPushButton(QStringLiteral("&Download Ticked Items"), this);
    ui.cmdDownload->setObjectName(QStringLiteral("cmdDownload"));
    ui.cmdDownload->setAutoDefault(false);
    ui.cmdClose = new QPushButton(QStringLiteral("&Close"), this);
    ui.cmdClose->setObjectName(QStringLiteral("cmdClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ui.chkVerify);
    buttons->addStretch();
    buttons->addWidget(ui.cmdDownload);
    buttons->addWidget(ui.cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ui.lblCount);
    layout->addWidget(ui.grdDifferences);
    layout->addLayout(buttons);
    resize(640, 400);
}

void frmCompare::updateCount() {
    const int rows = m_model->rowCount();
    ui.lblCount->setText(
        rows == 0
            ? QStringLiteral("No differences")
            : QStringLiteral("%1 items differ, %2 ticked").arg(rows).arg(m_model->tickedCount()));
    ui.grdDifferences->setVisible(rows > 0);
    ui.cmdDownload->setEnabled(m_model->tickedCount() > 0);
    ui.chkVerify->setEnabled(rows > 0);
}

void frmCompare::setFileCaption(const QString& caption) {
    setWindowTitle(QStringLiteral("Compare with Board - ") + caption);
}

// Space ticks the current row in whichever column the cursor is.
bool frmCompare::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.grdDifferences && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        const QModelIndex current = ui.grdDifferences->currentIndex();
        if (!current.isValid()) return true;
        const QModelIndex tick = m_model->index(current.row(), CompareModel::Item);
        m_model->setData(tick,
                         tick.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked
                                                                              : Qt::Checked,
                         Qt::CheckStateRole);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmCompare::cmdDownload_Click() {
    const std::vector<int> items = m_model->tickedItems();
    if (items.empty()) return;
    const SelectiveOutcome out =
        m_compare.download(m_setCode, m_data, items, ui.chkVerify->isChecked());
    if (!out.started) return; // declined: the window stays for another choice
    reportDownload(m_prompt, m_compare, m_data, items, out);
    accept();
}

} // namespace kalvex
