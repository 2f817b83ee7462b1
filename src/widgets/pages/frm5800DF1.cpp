#include "widgets/pages/frm5800DF1.h"

#include "data/AppState.h"
#include "link/RSComm.h"
#include "widgets/pages/EntryFieldGroup.h"
#include "widgets/pages/PageControls.h"
#include "widgets/pages/RefreshLoop.h"
#include "widgets/pages/UpDown.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace kalvex {

using controls::indexed;

frm5800DF1::frm5800DF1(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent)
    : MachinePage(state, link, prompt, parent) {
    setWindowTitle(QStringLiteral("K5800DF1"));
    ui.cmdDefault = makeDefaultButton();
    buildControls();
    buildFields();
    // The set-up frame may be edited offline; status and list reads only show the board.
    const auto captions = ui.lblCaption.begin() + kDf1ListRead;
    addLiveControls({ui.fraSetup[0], ui.fraSetup[1]});
    addLiveControls(std::ranges::subrange(ui.lblCaption.begin(), captions));
    addLiveControls(ui.lblDisplay);
    addEditableControls({ui.fraSetup[2], ui.cboSetup, ui.txtSetup[0], ui.updSetup[0],
                         ui.txtSetup[1], ui.updSetup[1]});
    addEditableControls(std::ranges::subrange(captions, ui.lblCaption.end()));
}

void frm5800DF1::buildFields() {
    makeFields(ui.cmdDefault);
    for (int i = 0; i < 2; ++i) {
        EntryFieldConfig config;
        config.address = df1Address(kDf1FirstField + i);
        config.dataIndex = kDf1DataOffset + 1 + i;
        config.title = QStringLiteral("K5800DF1 Set-up");
        m_fields->add(i, ui.txtSetup[size_t(i)], ui.updSetup[size_t(i)], std::move(config),
                      {0, kDf1FieldMax});
    }
}

QGroupBox* frm5800DF1::buildStatusFrame() {
    QGroupBox* f = controls::frame(QStringLiteral("K5800-DF1 Communication Status"),
                                   QStringLiteral("fraSetup0"), this);
    auto* grid = new QGridLayout(f);
    for (int row = 0; row < kDf1StatusRow; ++row) {
        grid->addWidget(ui.lblCaption[size_t(row)] =
                            controls::label(df1Caption(row), indexed("lblCaption", row), f),
                        row, 0);
        grid->addWidget(ui.lblDisplay[size_t(row)] =
                            controls::label(QStringLiteral("-"), indexed("lblDisplay", row), f),
                        row, 1);
        ui.lblDisplay[size_t(row)]->setMinimumWidth(220);
    }
    return f;
}

QGroupBox* frm5800DF1::buildLinkFrame() {
    QGroupBox* f =
        controls::frame(QStringLiteral("A/B Link Layer Status"), QStringLiteral("fraSetup1"), this);
    auto* grid = new QGridLayout(f);
    for (int row : {kDf1StatusRow, kDf1StatusRow + 1}) {
        ui.lblCaption[size_t(row)] =
            controls::label(df1Caption(row), indexed("lblCaption", row), f);
        ui.lblDisplay[size_t(row)] =
            controls::label(QStringLiteral("-"), indexed("lblDisplay", row), f);
    }
    QLabel* status = ui.lblDisplay[kDf1StatusRow];
    status->setWordWrap(true);
    status->setMinimumWidth(420);
    status->setMinimumHeight(status->fontMetrics().height() * 2);
    status->setFrameShape(QFrame::Panel);
    status->setFrameShadow(QFrame::Sunken);
    grid->addWidget(ui.lblCaption[kDf1StatusRow], 0, 0, 1, 2);
    grid->addWidget(status, 1, 0, 1, 2);
    grid->addWidget(ui.lblCaption[kDf1StatusRow + 1], 2, 0);
    grid->addWidget(ui.lblDisplay[kDf1StatusRow + 1], 2, 1);
    return f;
}

QGroupBox* frm5800DF1::buildSetupFrame() {
    QGroupBox* f = controls::frame(QStringLiteral("DF1 Communication Set-up"),
                                   QStringLiteral("fraSetup2"), this);
    auto* grid = new QGridLayout(f);
    ui.cboSetup = new QComboBox(f);
    ui.cboSetup->setObjectName(QStringLiteral("cboSetup"));
    for (const QString& type : kDf1PlcTypes)
        ui.cboSetup->addItem(type);
    ui.cboSetup->setCurrentIndex(-1);
    ui.cboSetup->installEventFilter(this);
    // Only the operator's choice: a selection the refresh makes emits no activated.
    connect(ui.cboSetup, &QComboBox::activated, this, &frm5800DF1::cboSetup_Click);
    const int list = kDf1ListRead;
    ui.lblCaption[list] = controls::label(df1Caption(list), indexed("lblCaption", list), f);
    ui.lblCaption[list]->setBuddy(ui.cboSetup);
    grid->addWidget(ui.lblCaption[list], 0, 0);
    grid->addWidget(ui.cboSetup, 0, 1);
    for (int i = 0; i < 2; ++i) {
        const int read = kDf1FirstField + i;
        const controls::Entry e =
            controls::entry(indexed("txtSetup", i), indexed("updSetup", i), f);
        ui.txtSetup[size_t(i)] = e.text;
        ui.updSetup[size_t(i)] = e.spin;
        ui.lblCaption[size_t(read)] =
            controls::label(df1Caption(read), indexed("lblCaption", read), f);
        ui.lblCaption[size_t(read)]->setBuddy(e.text);
        grid->addWidget(ui.lblCaption[size_t(read)], 1 + i, 0);
        grid->addLayout(e.box, 1 + i, 1);
    }
    return f;
}

void frm5800DF1::buildControls() {
    auto* page = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    ui.fraSetup[0] = buildStatusFrame();
    ui.fraSetup[2] = buildSetupFrame();
    top->addWidget(ui.fraSetup[0]);
    top->addWidget(ui.fraSetup[2], 0, Qt::AlignTop);
    top->addStretch();
    ui.fraSetup[1] = buildLinkFrame();
    page->addLayout(top);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ui.fraSetup[1]);
    bottom->addStretch();
    page->addLayout(bottom);
    page->addStretch();
}

bool frm5800DF1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui.cboSetup) {
        // A wheel step over the closed list is no choice: it would write a PLC type.
        if (event->type() == QEvent::Wheel) return true;
        if (event->type() == QEvent::FocusIn) m_listEditing = true;
        // The drop-down taking the focus is still the operator at the list.
        if (event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            m_listEditing = false;
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            m_listEditing = false;
            ui.cmdDefault->setFocus();
            return true;
        }
    }
    return MachinePage::eventFilter(watched, event);
}

void frm5800DF1::cboSetup_Click(int index) {
    if (!m_listReady || index < 0) return;
    m_listEditing = true;
    auto& values = m_state.gCurrentData.Value;
    if (size_t(kDf1DataOffset) < values.size()) values[kDf1DataOffset] = index;
    sendValue(df1Address(kDf1ListRead), QString::number(index)); // online pages only
}

void frm5800DF1::showListValue(qint64 value) {
    if (m_listEditing) return;
    ui.cboSetup->setCurrentIndex(df1ListIndex(value));
    m_listReady = true;
}

void frm5800DF1::addOnlineSteps(RefreshLoop& loop) {
    for (int i = 0; i < kDf1Reads; ++i) {
        const QString address = df1Address(i);
        if (i == kDf1StatusRow) {
            const auto failed = [this] { return m_status != 0; };
            loop.addRead(address, [this](qint64 v) {
                m_status = v;
                if (v == 0) ui.lblDisplay[kDf1StatusRow]->setText(df1StatusText(0, 0, 0));
            });
            loop.addRead(
                kDf1StsAddress, [this](qint64 v) { m_sts = v; }, failed);
            loop.addRead(
                kDf1ExtStsAddress,
                [this](qint64 v) {
                    ui.lblDisplay[kDf1StatusRow]->setText(df1StatusText(m_status, m_sts, v));
                },
                failed);
        } else if (i < kDf1Displays) {
            loop.addRead(address, ui.lblDisplay[size_t(i)], [this, i](qint64 v) {
                ui.lblDisplay[size_t(i)]->setText(df1RowText(i, v));
            });
        } else if (i == kDf1ListRead) {
            loop.addRead(address, [this](qint64 v) { showListValue(v); });
        } else {
            loop.addRead(address, m_fields->textBox(i - kDf1FirstField), [this, i](qint64 v) {
                m_fields->showValue(i - kDf1FirstField, QString::number(v));
            });
        }
    }
}

void frm5800DF1::RefreshOffline() {
    if (offlineEditChanged()) return;
    const auto& values = m_state.gCurrentData.Value;
    const auto item = [&values](int i) {
        return size_t(i) < values.size() ? values[size_t(i)] : 0;
    };
    showListValue(item(kDf1DataOffset));
    for (int f = 0; f < 2; ++f)
        m_fields->showValue(f, QString::number(item(kDf1DataOffset + 1 + f)));
}

void frm5800DF1::clearEditing() {
    m_listEditing = false;
    MachinePage::clearEditing();
}

void frm5800DF1::showAll(bool online) {
    m_listReady = false;
    ui.cmdDefault->setFocus();
    clearEditing();
    enableControls(online);
    if (!online)
        for (QLabel* l : ui.lblDisplay)
            l->setText(QStringLiteral("-"));
}

void frm5800DF1::ShowOnline() {
    showAll(true);
}

void frm5800DF1::ShowOffline() {
    offlineEditFollowed();
    showAll(false);
}

} // namespace kalvex
