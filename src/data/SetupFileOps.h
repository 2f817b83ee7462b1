#pragma once
#include "data/FileChooser.h"
#include "link/Prompt.h"

#include <optional>

namespace kalvex {

class AppState;
class DataTransfers;

inline const QString kSetupFileFilter = QStringLiteral("Setup Files(*.sdt)");

// "Do you wish to first 'Upload Data' from the P9100?": True for Yes.
bool AskUploadFirst(Prompt& prompt);

// File > New, Open, Save and Save As over the working data set. The caller shows
// AppState::windowCaption() afterwards.
class SetupFileOps {
  public:
    enum class SaveResult { Saved, Cancelled, Failed };

    SetupFileOps(AppState& state, Prompt& prompt, FileChooser& chooser, DataTransfers& transfers);

    // "Save Changes to File?" when the data set differs from the last saved one; no answer
    // when it does not.
    std::optional<MsgAnswer> AskSaveChanges();
    void New();
    void Open();
    // Open's reading and version check for a file already chosen (a file named at start).
    // Returns true when the operator answered No to another version's file, to choose again.
    bool OpenPath(const QString& path);
    SaveResult Save();
    SaveResult SaveAs();
    // Makes gFileData, resized to the tag map's item count, the working data set.
    void AcceptLoadedFile(const QString& path);
    // Step 1 of the closing sequence: True when the program may end.
    bool mayClose();

  private:
    bool changed() const;
    // The save question before the data set is replaced; False when the caller must stop.
    bool saveChangesFirst();
    SaveResult saveTo(const QString& path);
    void showError(const QString& text);

    AppState& m_state;
    Prompt& m_prompt;
    FileChooser& m_chooser;
    DataTransfers& m_transfers;
};

} // namespace kalvex
