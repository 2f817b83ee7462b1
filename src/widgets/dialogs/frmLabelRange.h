#pragma once
#include "data/LabelRange.h"

#include <QDialog>

#include <array>
#include <optional>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kalvex {

class Prompt;

// "Label Range": all labels or a range from/to, for the label data transfers.
class frmLabelRange final : public QDialog {
    Q_OBJECT
  public:
    explicit frmLabelRange(Prompt& prompt, QWidget* parent = nullptr);

    // The range chosen with Ok; nothing before Ok and after Cancel.
    std::optional<LabelRange> range() const { return m_range; }

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
    Prompt& m_prompt;
    std::optional<LabelRange> m_range;
};

} // namespace kalvex
