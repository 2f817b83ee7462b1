#pragma once
#include <QDialog>

#include <array>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kalvex {

class AppState;
class Prompt;

// "Label Range": all labels or a range from/to, for the label data transfers. Sets gLabelFirst,
// gLabelLast and gProcessCancelled.
class frmLabelRange final : public QDialog {
    Q_OBJECT
  public:
    frmLabelRange(AppState& state, Prompt& prompt, QWidget* parent = nullptr);

  public Q_SLOTS:
    void cmdOk_Click();
    void cmdCancel_Click();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

  private:
    // The controls; each carries its name (arrays: name + index) as objectName.
    struct Ui {
        std::array<QRadioButton*, 2> optLabels{};
        std::array<QLineEdit*, 2> txtLabels{};
        QPushButton* cmdOk = nullptr;
        QPushButton* cmdCancel = nullptr;
    };

    QWidget* buildOptions();
    // The first range field that is not a number, or null.
    QLineEdit* badField() const;

    Ui ui;
    AppState& m_state;
    Prompt& m_prompt;
};

} // namespace kalvex
