#pragma once
#include "report/ReportLayout.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace kalvex {

class AppState;
class Prompt;
class RSComm;
class TransferHost;

// The printer dialog and the preview window; tests answer them without windows.
class PrintDialogs {
  public:
    virtual ~PrintDialogs() = default;
    // The print dialog with its number of copies; false on Cancel. The system's default
    // printer is never changed.
    virtual bool choosePrinter(QPrinter& printer, QWidget* parent) = 0;
    // Shows the pages `paint` draws until the user closes the preview (and may print).
    virtual void preview(QPrinter& printer, const std::function<void(QPrinter*)>& paint,
                         QWidget* parent) = 0;
};

// File > Report Setup, Print Report and Print Preview, and the toolbar's Print button.
class ReportCommands final : public QObject {
    Q_OBJECT
  public:
    ReportCommands(AppState& state, RSComm& link, Prompt& prompt, TransferHost& host,
                   QWidget* window);
    ~ReportCommands() override;

    void ReportSetup();
    // Offers an upload while online, asks for the printer, then prints behind the wait
    // window. Does nothing while a report is being generated.
    void PrintReport();
    void PrintPreview();

    bool generating() const { return m_generating; }
    void setDialogs(PrintDialogs* dialogs);

  Q_SIGNALS:
    void generatingChanged(bool generating);

  private:
    bool anySection();
    // False when an upload was asked for and did not complete: nothing may be printed then.
    bool uploadFirst();
    ReportJob job() const;
    QPrinter& printer();
    void print(const ReportJob& job);
    void setGenerating(bool on);

    AppState& m_state;
    RSComm& m_link;
    Prompt& m_prompt;
    TransferHost& m_host;
    QPointer<QWidget> m_window;
    std::unique_ptr<PrintDialogs> m_qtDialogs;
    PrintDialogs* m_dialogs;
    // Kept for the run, so the printer chosen stays chosen.
    std::unique_ptr<QPrinter> m_printer;
    bool m_generating = false;
};

} // namespace kalvex
