#include "data/SetupFileOps.h"

#include "data/AppState.h"
#include "data/DataTransfers.h"
#include "data/GeneralDate.h"
#include "data/SetupFile.h"
#include "data/history/HistoryRecorder.h"
#include "link/RSComm.h"

#include <QFileInfo>

namespace kalvex {

namespace {

QString bracketed(const QString& title) {
    return u'[' + title + u']';
}

} // namespace

bool AskUploadFirst(Prompt& prompt) {
    return prompt.message(kProgramTitle,
                          QStringLiteral("Do you wish to first 'Upload Data' from the P9100?  "),
                          MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

SetupFileOps::SetupFileOps(AppState& state, Prompt& prompt, FileChooser& chooser,
                           DataTransfers& transfers)
    : m_state(state), m_prompt(prompt), m_chooser(chooser), m_transfers(transfers) {}

bool SetupFileOps::changed() const {
    return m_state.gCurrentData.Value != m_state.gSavedData.Value ||
           m_state.gCurrentData.Version != m_state.gProgramVersion;
}

std::optional<MsgAnswer> SetupFileOps::AskSaveChanges() {
    if (!changed()) return std::nullopt;
    return m_prompt.message(kProgramTitle, QStringLiteral("Save Changes to File?"),
                            MsgButtons::YesNoCancel, MsgIcon::Exclamation);
}

// Cancel stops; so does a save that failed, or the unsaved data would be thrown away.
bool SetupFileOps::saveChangesFirst() {
    const std::optional<MsgAnswer> a = AskSaveChanges();
    if (a == MsgAnswer::Cancel) return false;
    if (a == MsgAnswer::Yes && Save() == SaveResult::Failed) return false;
    return true;
}

void SetupFileOps::New() {
    if (!saveChangesFirst()) return;
    m_state.gCurrentData = m_state.gDefaultData;
    m_state.gSavedData = m_state.gCurrentData;
    m_state.gFileUnnamed = true;
    m_state.gFileNameCaption = QStringLiteral("[unnamed]");
}

void SetupFileOps::Open() {
    QString initial = m_state.gFileNamePath;
    for (;;) {
        if (!saveChangesFirst()) return;
        const std::optional<QString> path = m_chooser.openFile(kSetupFileFilter, initial);
        if (!path || !OpenPath(*path)) return;
        initial = *path;
    }
}

bool SetupFileOps::OpenPath(const QString& path) {
    QString error;
    std::optional<SetupData> data = readSetupFile(path, &error);
    if (!data) {
        showError(error);
        return false;
    }
    m_state.gFileData = std::move(*data);
    if (m_state.gFileData.Version == m_state.gProgramVersion) {
        AcceptLoadedFile(path);
        return false;
    }
    const MsgAnswer a = m_prompt.message(
        kProgramTitle,
        QStringLiteral("File created by set-up program version: ") + m_state.gFileData.Version +
            QStringLiteral("\r\nData tables may not be properly aligned.\r\n\r\n"
                           "Do you wish to continue?"),
        MsgButtons::YesNoCancel, MsgIcon::Information);
    if (a == MsgAnswer::Yes) AcceptLoadedFile(path);
    return a == MsgAnswer::No;
}

void SetupFileOps::AcceptLoadedFile(const QString& path) {
    const size_t items = size_t(m_state.gItemCount) + 1;
    m_state.gFileData.Address.resize(items);
    m_state.gFileData.Value.resize(items, 0);
    m_state.gFileNamePath = path;
    m_state.gFileNameTitle = QFileInfo(path).fileName();
    m_state.gCurrentData = m_state.gFileData;
    noteHistory(m_state, HistoryKind::FileOpened, path);
    m_state.gSavedData = m_state.gCurrentData;
    m_state.gFileUnnamed = false;
    m_state.gUploadNOW = generalDateNow();
    m_state.gFileNameCaption = bracketed(m_state.gFileNameTitle);
}

SetupFileOps::SaveResult SetupFileOps::Save() {
    if (m_state.gFileUnnamed) return SaveAs();
    return saveTo(m_state.gFileNamePath);
}

SetupFileOps::SaveResult SetupFileOps::SaveAs() {
    const std::optional<QString> path = m_chooser.saveFile(kSetupFileFilter, QString());
    if (!path) return SaveResult::Cancelled;
    return saveTo(*path);
}

// Name, caption and saved copy change only once the file is safely written. An upload that did
// not complete has replaced only some items: saving that mix would pass it off as the board's.
SetupFileOps::SaveResult SetupFileOps::saveTo(const QString& path) {
    if (m_transfers.link().OnlineMode() && AskUploadFirst(m_prompt) &&
        !m_transfers.UploadData(DataTransfers::kSilentUploadAll).complete()) {
        showError(QStringLiteral("The data upload did not complete.\r\n\r\nNothing was saved."));
        return SaveResult::Failed;
    }
    SetupData stamped = m_state.gCurrentData;
    stamped.Version = m_state.gProgramVersion;
    QString error;
    if (!writeSetupFile(path, stamped, &error)) {
        showError(error);
        return SaveResult::Failed;
    }
    m_state.gCurrentData.Version = m_state.gProgramVersion;
    m_state.gFileUnnamed = false;
    m_state.gFileNamePath = path;
    m_state.gFileNameTitle = QFileInfo(path).fileName();
    m_state.gFileNameCaption = bracketed(m_state.gFileNameTitle);
    m_state.gSavedData = m_state.gCurrentData;
    noteHistory(m_state, HistoryKind::FileSaved, path);
    return SaveResult::Saved;
}

// A Save As cancelled here still lets the program end; a failed save does not.
bool SetupFileOps::mayClose() {
    return saveChangesFirst();
}

void SetupFileOps::showError(const QString& text) {
    m_prompt.message(kProgramTitle, text, MsgButtons::Ok, MsgIcon::Exclamation);
}

} // namespace kalvex
