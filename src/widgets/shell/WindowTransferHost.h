#pragma once
#include "data/DataTransfers.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace kalvex {

// The transfers' windows: the Label Range dialog and the progress window, both modal over the
// main window; going online is the main window's View > Online Data.
class WindowTransferHost final : public TransferHost {
  public:
    WindowTransferHost(RSComm& link, Prompt& prompt, std::function<void()> goOnline)
        : m_link(link), m_prompt(prompt), m_goOnline(std::move(goOnline)) {}

    void setParentWindow(QWidget* w) { m_parent = w; }
    // Downloads keep their marker file in this folder while they run; empty: none.
    void setMarkerFolder(const QString& folder) { m_markerFolder = folder; }

    void switchOnline() override { m_goOnline(); }
    std::optional<LabelRange> askLabelRange() override;
    void showProcessing(DataTransfer& transfer) override;

  private:
    RSComm& m_link;
    Prompt& m_prompt;
    std::function<void()> m_goOnline;
    QPointer<QWidget> m_parent;
    QString m_markerFolder;
};

} // namespace kalvex
