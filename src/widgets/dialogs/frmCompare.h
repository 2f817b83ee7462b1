#pragma once
#include "data/DataCompare.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace kalvex {

class CompareModel;

// Compare with Board's result: the differing items with a tick box each, their count, and the
// download of the ticked items (read back after the last write unless the operator says not to).
class frmCompare final : public QDialog {
    Q_OBJECT
  public:
    frmCompare(const SetupData& dataSet, std::vector<ItemDifference> differences, int setCode,
               DataCompare& compare, Prompt& prompt, QWidget* parent = nullptr);
    // Names the data set compared ("A.sdt", "[unnamed]") in the title.
    void setFileCaption(const QString& caption);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Ui {
        QTableView* grdDifferences = nullptr;
        QLabel* lblCount = nullptr;
        QCheckBox* chkVerify = nullptr;
        QPushButton* cmdDownload = nullptr;
        QPushButton* cmdClose = nullptr;
    };
    void setupUi();
    void updateCount();
    void cmdDownload_Click();

    Ui ui;
    SetupData m_data;
    int m_setCode;
    DataCompare& m_compare;
    Prompt& m_prompt;
    CompareModel* m_model;
};

} // namespace kalvex
