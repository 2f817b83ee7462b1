#include "DataTransfers.h"

#include "data/AppState.h"
#include "GeneralDate.h"
#include "link/RSComm.h"

namespace kalvex {

namespace {

bool askYesNo(Prompt& prompt, const QString& title, const QString& text) {
    return prompt.message(title, text, MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

} // namespace

DataTransfers::DataTransfers(AppState& state, RSComm& link, Prompt& prompt, TransferHost& host)
    : m_state(state), m_link(link), m_prompt(prompt), m_host(host) {}

void DataTransfers::UploadData(int request) {
    if (request == kSilentUploadAll || request == kSilentUploadShift) {
        m_state.gUploadNOW = generalDateNow();
        ProcessData(request == kSilentUploadAll ? kUploadAll : kUploadShift);
        return;
    }
    if (!askYesNo(m_prompt, QStringLiteral("Data Upload"),
                  QStringLiteral("You are about to Upload Data from the PLC\r\n\r\n"
                                 "Do You Wish to Continue?")))
        return;
    m_state.gUploadNOW = generalDateNow();
    ProcessData(request);
}

void DataTransfers::DownloadData(int request) {
    if (askYesNo(m_prompt, QStringLiteral("Data Download"),
                 QStringLiteral("You are about to Download Data to the PLC\r\n\r\n"
                                "Do You Wish to Continue?")))
        ProcessData(request + 10);
}

void DataTransfers::ProcessData(int code) {
    if (!isProcessCode(code)) return;
    if (!m_link.OnlineMode()) {
        if (!askYesNo(m_prompt, QStringLiteral("Program Offline"),
                      QStringLiteral("Program is Currently OFFLINE\r\n\r\n"
                                     "Do You Wish to Switch to ONLINE MODE to Continue?")))
            return;
        m_host.switchOnline(); // a failed switch leaves CommError set, which stops the transfer
    }
    m_state.gProcessCode = code;
    const bool labels = code == kUploadLabels || code == kDownloadLabels;
    if (labels)
        m_host.showLabelRange(m_state);
    else
        m_state.gProcessCancelled = false;
    if (m_state.gProcessCancelled) return;
    DataTransfer transfer(m_link, m_prompt, m_state.gCurrentData,
                          transferPlan(code, m_state.gLabelFirst, m_state.gLabelLast));
    m_host.showProcessing(transfer);
}

} // namespace kalvex
