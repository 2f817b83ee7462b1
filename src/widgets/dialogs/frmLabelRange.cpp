#include "widgets/dialogs/frmLabelRange.h"

#include "link/Prompt.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace kalvex {

frmLabelRange::frmLabelRange(Prompt& prompt, QWidget* parent) : QDialog(parent), m_prompt(prompt) {
    setObjectName(QStringLiteral("frmLabelRange"));
    setWindowTitle(QStringLiteral("Label Range"));

    ui.cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    ui.cmdOk->setObjectName(QStringLiteral("cmdOk"));
    ui.cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    ui.cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    // Enter in a field moves on and must not press a button; Enter on a button presses it.
    for (QPushButton* b : {ui.cmdOk, ui.cmdCancel}) {
        b->setAutoDefault(false);
        b->installEventFilter(this);
    }
    connect(ui.cmdOk, &QPushButton::clicked, this, &frmLabelRange::cmdOk_Click);
    connect(ui.cmdCancel, &QPushButton::clicked, this, &frmLabelRange::cmdCancel_Click);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ui.cmdOk);
    buttons->addWidget(ui.cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildOptions());
    layout->addLayout(buttons);
    setTabOrder(ui.optLabels[0], ui.optLabels[1]);
    setTabOrder(ui.optLabels[1], ui.txtLabels[0]);
    setTabOrder(ui.txtLabels[0], ui.txtLabels[1]);
    setTabOrder(ui.txtLabels[1], ui.cmdOk);
    setTabOrder(ui.cmdOk, ui.cmdCancel);
    ui.optLabels[0]->setFocus();
}

QWidget* frmLabelRange::buildOptions() {
    auto* frame = new QGroupBox(QStringLiteral("Options"), this);
    auto* grid = new QGridLayout(frame);
    ui.optLabels = {new QRadioButton(QStringLiteral("All Labels (0-99)"), frame),
                    new QRadioButton(QStringLiteral("Labels"), frame)};
    for (int i = 0; i < 2; ++i)
        ui.optLabels[size_t(i)]->setObjectName(QStringLiteral("optLabels%1").arg(i));
    ui.optLabels[0]->setChecked(true);
    grid->addWidget(ui.optLabels[0], 0, 0, 1, 5);
    grid->addWidget(ui.optLabels[1], 1, 0);
    const QString captions[2] = {QStringLiteral("from:"), QStringLiteral("to:")};
    for (int i = 0; i < 2; ++i) {
        ui.txtLabels[size_t(i)] = new QLineEdit(frame);
        ui.txtLabels[size_t(i)]->setObjectName(QStringLiteral("txtLabels%1").arg(i));
        ui.txtLabels[size_t(i)]->setMaximumWidth(60);
        ui.txtLabels[size_t(i)]->installEventFilter(this);
        grid->addWidget(new QLabel(captions[i], frame), 1, 1 + 2 * i);
        grid->addWidget(ui.txtLabels[size_t(i)], 1, 2 + 2 * i);
    }
    connect(ui.optLabels[1], &QRadioButton::clicked, this, [this] { ui.txtLabels[0]->setFocus(); });
    // Chosen with the arrow keys: once the focus has settled on the option, on to "from".
    connect(ui.optLabels[1], &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            QTimer::singleShot(0, this, [this] {
                if (ui.optLabels[1]->isChecked() && ui.optLabels[1]->hasFocus())
                    ui.txtLabels[0]->setFocus();
            });
    });
    return frame;
}

bool frmLabelRange::eventFilter(QObject* watched, QEvent* event) {
    auto* button = qobject_cast<QPushButton*>(watched);
    if (event->type() == QEvent::FocusIn && !button) {
        ui.optLabels[1]->setChecked(true);
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (button)
                button->click();
            else
                focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QLineEdit* frmLabelRange::badField() const {
    if (!ui.optLabels[1]->isChecked()) return nullptr;
    for (QLineEdit* field : ui.txtLabels)
        if (!isNumericText(field->text())) return field;
    return nullptr;
}

// A range that is not a number is refused with a message and the dialog stays open, so
// nothing typed is lost.
void frmLabelRange::cmdOk_Click() {
    if (QLineEdit* bad = badField()) {
        m_prompt.message(QStringLiteral("Label Range"),
                         QStringLiteral("Please enter label numbers from 0 to 99 in the "
                                        "\"from:\" and \"to:\" fields."),
                         MsgButtons::Ok, MsgIcon::Exclamation);
        bad->setFocus();
        bad->selectAll();
        return;
    }
    m_range = labelRangeOk(ui.optLabels[1]->isChecked(), ui.txtLabels[0]->text(),
                           ui.txtLabels[1]->text());
    accept();
}

void frmLabelRange::cmdCancel_Click() {
    reject();
}

void frmLabelRange::reject() {
    m_range.reset();
    QDialog::reject();
}

} // namespace kalvex
