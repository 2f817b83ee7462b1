#pragma once
#include "report/ReportOptions.h"

#include <QDialog>

#include <memory>
#include <optional>

namespace kalvex {

class Prompt;

// "Report Set-up": the sections to print and the label range. The options it was opened with
// stay as they were until Ok; Cancel gives nothing.
class frmReportSetup final : public QDialog {
    Q_OBJECT
  public:
    frmReportSetup(const ReportOptions& current, Prompt& prompt, QWidget* parent = nullptr);
    ~frmReportSetup() override;

    // Shows the dialog modally; the options chosen with Ok.
    static std::optional<ReportOptions> ask(const ReportOptions& current, Prompt& prompt,
                                            QWidget* parent);
    const std::optional<ReportOptions>& chosen() const { return m_chosen; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Ui;
    void buildUi();
    void load(const ReportOptions& o);
    void chkLabels_Click();
    void optAll_Click();
    void cmdFullReport_Click();
    void cmdOk_Click();
    void txtLabels_GotFocus(int index);
    void txtLabels_LostFocus(int index);
    // Refuses the field's text when it is out of range: message, empty field, focus kept.
    bool refuseField(int index);
    void clearOptions();

    std::unique_ptr<Ui> ui;
    Prompt& m_prompt;
    std::optional<ReportOptions> m_chosen;
    bool m_refusing = false;
    // The field whose focus is handed back after a refused entry: no new visit to it.
    int m_refocus = -1;
};

} // namespace kalvex
