#include "widgets/report/frmReportSetup.h"

#include "link/Prompt.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <array>

namespace kalvex {

struct frmReportSetup::Ui {
    QGroupBox* fraReportOptions = nullptr;
    std::array<QCheckBox*, 3> chkReportOptions{};
    std::array<QRadioButton*, 2> optLabels{};
    std::array<QLabel*, 2> lblLabels{};
    std::array<QLineEdit*, 2> txtLabels{};
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdFullReport = nullptr;
};

namespace {

template <class W> W* named(W* w, const QString& name) {
    w->setObjectName(name);
    return w;
}

} // namespace

frmReportSetup::frmReportSetup(const ReportOptions& current, Prompt& prompt, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui>()), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmReportSetup"));
    setWindowTitle(QStringLiteral("Report Set-up"));
    buildUi();
    load(current);
}

frmReportSetup::~frmReportSetup() = default;

void frmReportSetup::buildUi() {
    ui->fraReportOptions = named(new QGroupBox(QStringLiteral("Report Options:"), this),
                                 QStringLiteral("fraReportOptions"));
    auto* grid = new QGridLayout(ui->fraReportOptions);
    const char* const checks[] = {"Print Set-up Parameters", "Print Shift Data Counts",
                                  "Print Label Set-up Data"};
    for (int i = 0; i < 3; ++i) {
        ui->chkReportOptions[size_t(i)] =
            named(new QCheckBox(QLatin1String(checks[i]), ui->fraReportOptions),
                  QStringLiteral("chkReportOptions%1").arg(i));
        grid->addWidget(ui->chkReportOptions[size_t(i)], i, 0, 1, 5);
    }
    const char* const options[] = {"All Labels (0-99)", "Labels"};
    const char* const captions[] = {"from:", "to:"};
    for (int i = 0; i < 2; ++i) {
        auto* opt = named(new QRadioButton(QLatin1String(options[i]), ui->fraReportOptions),
                          QStringLiteral("optLabels%1").arg(i));
        auto* lbl = named(new QLabel(QLatin1String(captions[i]), ui->fraReportOptions),
                          QStringLiteral("lblLabels%1").arg(i));
        auto* txt =
            named(new QLineEdit(ui->fraReportOptions), QStringLiteral("txtLabels%1").arg(i));
        txt->setMaximumWidth(60);
        txt->installEventFilter(this);
        lbl->setBuddy(txt);
        ui->optLabels[size_t(i)] = opt;
        ui->lblLabels[size_t(i)] = lbl;
        ui->txtLabels[size_t(i)] = txt;
        grid->addWidget(lbl, 4, 1 + 2 * i);
        grid->addWidget(txt, 4, 2 + 2 * i);
    }
    grid->addWidget(ui->optLabels[0], 3, 0, 1, 5);
    grid->addWidget(ui->optLabels[1], 4, 0);

    ui->cmdOk = named(new QPushButton(QStringLiteral("&Ok"), this), QStringLiteral("cmdOk"));
    ui->cmdCancel =
        named(new QPushButton(QStringLiteral("&Cancel"), this), QStringLiteral("cmdCancel"));
    ui->cmdFullReport = named(new QPushButton(QStringLiteral("&Full Report"), this),
                              QStringLiteral("cmdFullReport"));
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {ui->cmdOk, ui->cmdCancel, ui->cmdFullReport}) {
        b->setAutoDefault(true); // Enter presses the focused button; in a field it moves on
        buttons->addWidget(b);
    }
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(ui->fraReportOptions);
    layout->addLayout(buttons);

    QWidget* const order[] = {
        ui->chkReportOptions[0], ui->chkReportOptions[1], ui->chkReportOptions[2], ui->optLabels[0],
        ui->optLabels[1],        ui->txtLabels[0],        ui->txtLabels[1],        ui->cmdOk,
        ui->cmdCancel,           ui->cmdFullReport};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(ui->chkReportOptions[2], &QCheckBox::clicked, this, &frmReportSetup::chkLabels_Click);
    connect(ui->optLabels[0], &QRadioButton::clicked, this, &frmReportSetup::optAll_Click);
    connect(ui->cmdFullReport, &QPushButton::clicked, this, &frmReportSetup::cmdFullReport_Click);
    connect(ui->cmdOk, &QPushButton::clicked, this, &frmReportSetup::cmdOk_Click);
    connect(ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void frmReportSetup::load(const ReportOptions& o) {
    ui->chkReportOptions[0]->setChecked(o.setup);
    ui->chkReportOptions[1]->setChecked(o.shift);
    ui->chkReportOptions[2]->setChecked(o.labels);
    chkLabels_Click();
    if (o.labels && !o.allLabels) {
        ui->optLabels[1]->setChecked(true);
        ui->txtLabels[0]->setText(QString::number(o.labelFirst));
        ui->txtLabels[1]->setText(QString::number(o.labelLast));
    }
    ui->chkReportOptions[0]->setFocus();
    adjustSize();
    if (const QScreen* s = screen()) move(s->geometry().center() - rect().center()); // CenterForm
}

std::optional<ReportOptions> frmReportSetup::ask(const ReportOptions& current, Prompt& prompt,
                                                 QWidget* parent) {
    frmReportSetup dialog(current, prompt, parent);
    dialog.exec();
    return dialog.chosen();
}

// Radio buttons of one parent exclude each other; without that both can be cleared.
void frmReportSetup::clearOptions() {
    for (QRadioButton* r : ui->optLabels) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
}

void frmReportSetup::chkLabels_Click() {
    const bool on = ui->chkReportOptions[2]->isChecked();
    for (int i = 0; i < 2; ++i) {
        ui->optLabels[size_t(i)]->setEnabled(on);
        ui->lblLabels[size_t(i)]->setEnabled(on);
        ui->txtLabels[size_t(i)]->setEnabled(on);
        ui->txtLabels[size_t(i)]->clear();
    }
    if (on)
        ui->optLabels[0]->setChecked(true);
    else
        clearOptions();
}

void frmReportSetup::optAll_Click() {
    for (QLineEdit* t : ui->txtLabels)
        t->clear();
}

void frmReportSetup::cmdFullReport_Click() {
    for (QCheckBox* c : ui->chkReportOptions)
        c->setChecked(true);
    chkLabels_Click();
}

void frmReportSetup::cmdOk_Click() {
    for (int i = 0; i < 2; ++i)
        if (refuseField(i)) return;
    ReportOptions o;
    o.setup = ui->chkReportOptions[0]->isChecked();
    o.shift = ui->chkReportOptions[1]->isChecked();
    o.labels = ui->chkReportOptions[2]->isChecked();
    o.allLabels = ui->optLabels[0]->isChecked();
    o.labelFirst = reportLabelNumber(ui->txtLabels[0]->text()).value_or(0);
    o.labelLast = reportLabelNumber(ui->txtLabels[1]->text()).value_or(0);
    m_chosen = o;
    accept();
}

void frmReportSetup::txtLabels_GotFocus(int index) {
    QLineEdit* field = ui->txtLabels[size_t(index)];
    ui->optLabels[1]->setChecked(true);
    if (field->text().isEmpty()) field->setText(QStringLiteral("0"));
    // After the click that gave the focus has placed the cursor.
    QTimer::singleShot(0, field, &QLineEdit::selectAll);
}

// Checked once the focus has moved on, so a box never opens inside a mouse press.
void frmReportSetup::txtLabels_LostFocus(int index) {
    if (m_refocus == index) m_refocus = -1;
    if (QApplication::focusWidget() == ui->cmdCancel) return; // Cancel keeps nothing anyway
    if (ui->optLabels[0]->isChecked()) return; // passed through by Tab: the range is not chosen
    if (!reportLabelNumber(ui->txtLabels[size_t(index)]->text()))
        QTimer::singleShot(0, this, [this, index] { refuseField(index); });
}

bool frmReportSetup::refuseField(int index) {
    QLineEdit* field = ui->txtLabels[size_t(index)];
    if (reportLabelNumber(field->text())) return false;
    if (m_refusing) return true;
    m_refusing = true;
    m_prompt.message(kReportLabelRangeTitle, kReportLabelRangeText, MsgButtons::Ok,
                     MsgIcon::Exclamation);
    field->clear();
    m_refocus = field->hasFocus() ? -1 : index;
    field->setFocus();
    m_refusing = false;
    return true;
}

bool frmReportSetup::eventFilter(QObject* watched, QEvent* event) {
    const int index = watched == ui->txtLabels[0] ? 0 : watched == ui->txtLabels[1] ? 1 : -1;
    if (index < 0) return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        // Switching windows is no visit to the field.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
        // Tab passing through chooses nothing; a click, or the first digit typed, does.
        const bool passing = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason;
        if (event->type() == QEvent::FocusOut)
            txtLabels_LostFocus(index);
        else if (std::exchange(m_refocus, -1) != index && !passing)
            txtLabels_GotFocus(index);
        else if (passing)
            QTimer::singleShot(0, ui->txtLabels[size_t(index)], &QLineEdit::selectAll);
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
        if (!key->text().isEmpty() && key->text().front().isPrint() &&
            !ui->optLabels[1]->isChecked()) {
            txtLabels_GotFocus(index);
            ui->txtLabels[size_t(index)]->selectAll(); // the key typed replaces the 0 offered
        }
        break;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace kalvex
