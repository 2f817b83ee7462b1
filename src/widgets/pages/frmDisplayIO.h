#pragma once
#include "data/pages/IoStatusTable.h"
#include "widgets/pages/MachinePage.h"

#include <array>

class QGroupBox;
class QLabel;

namespace kalvex {

// The I/O Status page: the board's inputs, analog and resolver values, timing channels and the
// bits of four I/O slots, read live online and shown as "-" offline. It never writes.
class frmDisplayIO : public MachinePage {
    Q_OBJECT
  public:
    frmDisplayIO(AppState& state, RSComm& link, Prompt& prompt, QWidget* parent = nullptr);

  private:
    using BitLabels = std::array<QLabel*, kIoBits>;
    struct Ui {
        std::array<QGroupBox*, 1 + kIoBitFrames> fraBMIO{};
        std::array<QLabel*, kIoValueRows> lblp9150{};
        std::array<QLabel*, kIoValueRows> lblp9150State{};
        // Frame 0 the timing channels (lblTmgChannel), 1-4 the slots (lblSlot00 ... lblSlot03).
        std::array<BitLabels, kIoBitFrames> bitName{};
        std::array<BitLabels, kIoBitFrames> bitState{};
    };

    void buildControls();
    QGroupBox* buildValueFrame();
    QGroupBox* buildBitFrame(int frame);

    void addOnlineSteps(RefreshLoop& loop) override;
    void ShowOnline() override;
    void ShowOffline() override;
    void RefreshOffline() override {}
    void showAll(bool online);
    static void showState(QLabel* label, IoState state);

    Ui ui;
};

} // namespace kalvex
