#include "widgets/history/HistoryWindow.h"

#include "data/FileChooser.h"
#include "data/history/HistoryExport.h"
#include "data/history/HistoryRecorder.h"
#include "link/Prompt.h"
#include "link/SafeFile.h"
#include "widgets/history/HistoryChart.h"

#include <QBuffer>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kalvex {

namespace {

const QString kHistoryTitle = QStringLiteral("History");
constexpr qint64 kHourMs = 3600 * 1000;

enum Range { ThisShift, Hours8, Hours24, Days7, FromTo };

} // namespace

HistoryWindow::HistoryWindow(HistoryRecorder& recorder, Prompt& prompt, FileChooser& chooser,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), m_recorder(recorder), m_prompt(prompt), m_chooser(chooser),
      m_now([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(QStringLiteral("KALVEX - Machine History"));
    build();
    resize(1000, 720);
}

void HistoryWindow::build() {
    ui.cboRange = new QComboBox;
    ui.cboRange->setObjectName(QStringLiteral("cboRange"));
    ui.cboRange->addItems({QStringLiteral("This Shift"), QStringLiteral("Last 8 Hours"),
                           QStringLiteral("Last 24 Hours"), QStringLiteral("Last 7 Days"),
                           QStringLiteral("From - To")});
    ui.cboRange->setCurrentIndex(Hours8);
    ui.dtpFrom = new QDateTimeEdit;
    ui.dtpFrom->setObjectName(QStringLiteral("dtpFrom"));
    ui.dtpTo = new QDateTimeEdit;
    ui.dtpTo->setObjectName(QStringLiteral("dtpTo"));
    for (QDateTimeEdit* d : {ui.dtpFrom, ui.dtpTo}) {
        d->setDisplayFormat(QStringLiteral("yyyy-MM-dd hh:mm"));
        d->setCalendarPopup(true);
        d->setEnabled(false);
    }
    ui.cmdRefresh = new QPushButton(QStringLiteral("&Refresh"));
    ui.cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    auto* top = new QHBoxLayout;
    auto* rangeLabel = new QLabel(QStringLiteral("R&ange:"));
    rangeLabel->setBuddy(ui.cboRange);
    for (QWidget* w : std::initializer_list<QWidget*>{rangeLabel, ui.cboRange, ui.dtpFrom, ui.dtpTo,
                                                      ui.cmdRefresh})
        top->addWidget(w);
    top->addStretch();

    ui.chtHistory = new HistoryChart;
    ui.cboKind = new QComboBox;
    ui.cboKind->setObjectName(QStringLiteral("cboKind"));
    ui.cboKind->addItem(QStringLiteral("All kinds"));
    ui.cboKind->addItems(HistoryKind::all());
    ui.txtSearch = new QLineEdit;
    ui.txtSearch->setObjectName(QStringLiteral("txtSearch"));
    ui.txtSearch->setPlaceholderText(QStringLiteral("Search"));
    ui.txtSearch->setClearButtonEnabled(true);
    ui.cmdExportCsv = new QPushButton(QStringLiteral("Export &CSV..."));
    ui.cmdExportCsv->setObjectName(QStringLiteral("cmdExportCsv"));
    ui.cmdExportPng = new QPushButton(QStringLiteral("Export &PNG..."));
    ui.cmdExportPng->setObjectName(QStringLiteral("cmdExportPng"));
    auto* filters = new QHBoxLayout;
    auto* kindLabel = new QLabel(QStringLiteral("&Kind:"));
    kindLabel->setBuddy(ui.cboKind);
    for (QWidget* w : std::initializer_list<QWidget*>{kindLabel, ui.cboKind, ui.txtSearch,
                                                      ui.cmdExportCsv, ui.cmdExportPng})
        filters->addWidget(w);

    ui.tblEvents = new QTableWidget(0, 8);
    ui.tblEvents->setObjectName(QStringLiteral("tblEvents"));
    ui.tblEvents->setHorizontalHeaderLabels({QStringLiteral("Time"), QStringLiteral("Kind"),
                                             QStringLiteral("Subject"), QStringLiteral("Text"),
                                             QStringLiteral("Before"), QStringLiteral("Value"),
                                             QStringLiteral("Window"), QStringLiteral("Outcome")});
    ui.tblEvents->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui.tblEvents->setSelectionBehavior(QAbstractItemView::SelectRows);
    ui.tblEvents->verticalHeader()->hide();
    ui.tblEvents->horizontalHeader()->setStretchLastSection(true);

    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(filters);
    lowerLayout->addWidget(ui.tblEvents);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(ui.chtHistory);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    // The chart's own size hint is a sliver: give the timeline the larger share from the start.
    ui.chtHistory->setMinimumHeight(240);
    split->setSizes({480, 320});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split);

    connect(ui.cboRange, &QComboBox::currentIndexChanged, this, [this](int i) {
        ui.dtpFrom->setEnabled(i == FromTo);
        ui.dtpTo->setEnabled(i == FromTo);
        reload();
    });
    connect(ui.cmdRefresh, &QPushButton::clicked, this, &HistoryWindow::reload);
    connect(ui.chtHistory, &HistoryChart::visibleRangeChanged, this, &HistoryWindow::showEvents);
    connect(ui.cboKind, &QComboBox::currentIndexChanged, this, &HistoryWindow::showEvents);
    connect(ui.txtSearch, &QLineEdit::textChanged, this, &HistoryWindow::showEvents);
    connect(ui.cmdExportCsv, &QPushButton::clicked, this, &HistoryWindow::exportCsv);
    connect(ui.cmdExportPng, &QPushButton::clicked, this, &HistoryWindow::exportPng);
}

// This shift runs from the last end of shift recorded in the past week, else from midnight.
std::pair<qint64, qint64> HistoryWindow::chosenRange() {
    const qint64 now = m_now();
    switch (ui.cboRange->currentIndex()) {
    case ThisShift: {
        qint64 from =
            QDateTime(QDateTime::fromMSecsSinceEpoch(now).date(), QTime(0, 0)).toMSecsSinceEpoch();
        for (const HistoryEvent& e : m_store.events(now - 7 * 24 * kHourMs, now))
            if (e.kind == HistoryKind::EndOfShift) from = e.ms;
        return {from, now};
    }
    case Hours8:
        return {now - 8 * kHourMs, now};
    case Hours24:
        return {now - 24 * kHourMs, now};
    case Days7:
        return {now - 7 * 24 * kHourMs, now};
    default:
        return {ui.dtpFrom->dateTime().toMSecsSinceEpoch(),
                ui.dtpTo->dateTime().toMSecsSinceEpoch()};
    }
}

void HistoryWindow::reload() {
    m_recorder.flush();
    if (!m_store.isOpen()) {
        QString why;
        if (!m_store.openReadOnly(m_recorder.path(), &why)) {
            m_prompt.message(kHistoryTitle, why, MsgButtons::Ok, MsgIcon::Exclamation);
            return;
        }
    }
    auto [from, to] = chosenRange();
    if (to <= from) to = from + 60 * 1000;
    if (ui.cboRange->currentIndex() != FromTo) {
        const QSignalBlocker a(ui.dtpFrom), b(ui.dtpTo);
        ui.dtpFrom->setDateTime(QDateTime::fromMSecsSinceEpoch(from));
        ui.dtpTo->setDateTime(QDateTime::fromMSecsSinceEpoch(to));
    }
    m_events = m_store.events(from, to);
    ui.chtHistory->load(m_store, from, to, m_events);
    showEvents();
}

void HistoryWindow::showEvents() {
    const qint64 from = ui.chtHistory->visibleFromMs(), to = ui.chtHistory->visibleToMs();
    const QString kind = ui.cboKind->currentIndex() > 0 ? ui.cboKind->currentText() : QString();
    const QString search = ui.txtSearch->text().trimmed();
    m_shown.clear();
    for (const HistoryEvent& e : m_events) {
        if (e.ms < from || e.ms > to || (!kind.isEmpty() && e.kind != kind)) continue;
        const QStringList fields = {historyTime(e.ms), e.kind,  e.subject, e.text,
                                    e.before,          e.value, e.window,  e.outcome};
        if (!search.isEmpty() && !fields.join(u'\t').contains(search, Qt::CaseInsensitive))
            continue;
        m_shown.push_back(e);
    }
    ui.tblEvents->setRowCount(int(m_shown.size()));
    for (int r = 0; r < int(m_shown.size()); ++r) {
        const HistoryEvent& e = m_shown[size_t(r)];
        const QStringList fields = {
            QDateTime::fromMSecsSinceEpoch(e.ms).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
            e.kind,
            e.subject,
            e.text,
            e.before,
            e.value,
            e.window,
            e.outcome};
        for (int c = 0; c < fields.size(); ++c)
            ui.tblEvents->setItem(r, c, new QTableWidgetItem(fields[c]));
    }
}

// The events shown and the samples of the visible range: NAME.csv and NAME-samples.csv.
void HistoryWindow::exportCsv() {
    const std::optional<QString> path =
        m_chooser.saveFile(QStringLiteral("CSV Files(*.csv)"), QStringLiteral("history.csv"));
    if (!path) return;
    const QFileInfo info(*path);
    const QString samplesPath =
        info.dir().filePath(info.completeBaseName() + QStringLiteral("-samples.csv"));
    const qint64 from = ui.chtHistory->visibleFromMs(), to = ui.chtHistory->visibleToMs();
    const QString error = saveFilesAtomically(
        {{*path, eventsCsv(m_shown)},
         {samplesPath, samplesCsv(m_store.samples(from / 1000, to / 1000 + 1))}});
    if (!error.isEmpty())
        m_prompt.message(kHistoryTitle, error, MsgButtons::Ok, MsgIcon::Exclamation);
}

void HistoryWindow::exportPng() {
    const std::optional<QString> path =
        m_chooser.saveFile(QStringLiteral("PNG Images(*.png)"), QStringLiteral("history.png"));
    if (!path) return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ui.chtHistory->grab().save(&buffer, "PNG");
    const QString error = saveFileAtomically(*path, bytes);
    if (!error.isEmpty())
        m_prompt.message(kHistoryTitle, error, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kalvex
