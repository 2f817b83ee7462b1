#include "widgets/report/ReportCommands.h"

#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/GeneralDate.h"
#include "data/SetupFileOps.h"
#include "link/RSComm.h"
#include "report/ReportPdf.h"
#include "widgets/report/frmReportSetup.h"
#include "widgets/report/frmWaitDisplay.h"
#include "widgets/shell/FileDialogStart.h"

#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace kalvex {

namespace {

class QtPrintDialogs final : public PrintDialogs {
  public:
    bool choosePrinter(QPrinter& printer, QWidget* parent) override {
        QPrintDialog dialog(&printer, parent);
        // The report is printed whole: no page ranges or selections.
        dialog.setOptions(QAbstractPrintDialog::PrintToFile |
                          QAbstractPrintDialog::PrintShowPageSize |
                          QAbstractPrintDialog::PrintCollateCopies);
        return dialog.exec() == QDialog::Accepted;
    }
    void preview(QPrinter& printer, const std::function<void(QPrinter*)>& paint,
                 QWidget* parent) override {
        QPrintPreviewDialog dialog(&printer, parent);
        dialog.setObjectName(QStringLiteral("PrintPreview"));
        dialog.setWindowTitle(QStringLiteral("Print Preview"));
        QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
        dialog.exec();
    }
};

// The print dialog proposes the document name as the file name of Print to File.
QString reportDocName(const QString& caption) {
    return safeFileName(QStringLiteral("KALVEX Report - ") + caption);
}

} // namespace

ReportCommands::ReportCommands(AppState& state, RSComm& link, Prompt& prompt, TransferHost& host,
                               QWidget* window)
    : m_state(state), m_link(link), m_prompt(prompt), m_host(host), m_window(window),
      m_qtDialogs(std::make_unique<QtPrintDialogs>()), m_dialogs(m_qtDialogs.get()) {}

ReportCommands::~ReportCommands() = default;

void ReportCommands::setDialogs(PrintDialogs* dialogs) {
    m_dialogs = dialogs ? dialogs : m_qtDialogs.get();
}

void ReportCommands::ReportSetup() {
    if (const auto chosen = frmReportSetup::ask(reportOptions(m_state), m_prompt, m_window))
        storeReportOptions(m_state, *chosen);
}

// The upload replaces the working data item by item: a part-done one would print a mix of
// board and file values as if they were the board's.
bool ReportCommands::uploadFirst() {
    if (!m_link.OnlineMode() || !AskUploadFirst(m_prompt)) return true;
    if (DataTransfers(m_state, m_link, m_prompt, m_host)
            .UploadData(DataTransfers::kSilentUploadAll)
            .complete())
        return true;
    m_prompt.message(kProgramTitle,
                     QStringLiteral("The data upload did not complete.\r\n\r\n"
                                    "No report was printed."),
                     MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

ReportJob ReportCommands::job() const {
    return {m_state.gCurrentData, reportOptions(m_state), m_state.gFileNameCaption,
            generalDateNow()};
}

QPrinter& ReportCommands::printer() {
    if (!m_printer) m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void ReportCommands::setGenerating(bool on) {
    m_generating = on;
    Q_EMIT generatingChanged(on);
}

// With no section chosen there is nothing to print: say so rather than print a blank job.
bool ReportCommands::anySection() {
    const ReportOptions o = reportOptions(m_state);
    if (o.setup || o.shift || o.labels) return true;
    m_prompt.message(kProgramTitle,
                     QStringLiteral("No report section is selected: choose one in File > Report "
                                    "Setup."),
                     MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

void ReportCommands::PrintReport() {
    if (m_generating || !anySection()) return;
    setGenerating(true);
    if (!uploadFirst() || !m_dialogs->choosePrinter(printer(), m_window)) {
        setGenerating(false);
        return;
    }
    m_state.gReportRequest = 1;
    auto* wait = new frmWaitDisplay(
        m_state.gReportRequest, [this, j = job()] { print(j); }, m_window);
    connect(wait, &frmWaitDisplay::done, this, [this] {
        m_state.gReportRequest = 0;
        setGenerating(false);
    });
    wait->start();
}

void ReportCommands::print(const ReportJob& job) {
    printer().setDocName(reportDocName(job.caption));
    if (renderReport(printer(), job) >= 0) return;
    m_prompt.message(kProgramTitle, QStringLiteral("The report could not be printed."),
                     MsgButtons::Ok, MsgIcon::Exclamation);
}

void ReportCommands::PrintPreview() {
    if (m_generating || !anySection()) return;
    setGenerating(true);
    if (uploadFirst()) {
        const ReportJob j = job();
        printer().setDocName(reportDocName(j.caption));
        m_dialogs->preview(
            printer(), [&j](QPrinter* p) { renderReport(*p, j); }, m_window);
    }
    setGenerating(false);
}

} // namespace kalvex
