#pragma once
#include "link/Prompt.h"

#include <QString>

namespace kalvex {

// The title of every message of a program download, in the window, the menu and the quit.
inline const QString kProgramDownloadTitle = QStringLiteral("Program Download");

// The four files of a program: one base name, extensions ovp, rev, hex and lcf.
struct ProgramFileNames {
    QString ovp, rev, hex, lcf;
};
// The chosen path less its last three characters, plus each extension in lower case.
ProgramFileNames programFileNames(const QString& chosen);

// Board type codes, as the first character of an .ovp file.
bool isPlsBoard(int code);
// Boards whose program carries a configuration (.lcf) file.
bool isConfigurationBoard(int code);
// Boards whose program can be downloaded (the configuration boards among them).
bool isDownloadBoard(int code);

// The program image an upload reads, by board type; length 0 for boards without one.
struct ImageRange {
    int first = 0;
    int length = 0;
};
ImageRange imageRange(int code);

// The three configuration digits of an .lcf file, and the board bytes they stand for.
struct ConfigDigits {
    int a = 3, b = 0, c = 3;
    int byte8190() const { return a == 1 ? 3 : a == 2 ? 5 : 12; }
    int byte8189() const { return b; }
    int byte8188() const { return c == 1 ? 5 : c == 2 ? 10 : 20; }
    // From the board bytes, as an upload reads them.
    static ConfigDigits fromBoard(int b8190, int b8189, int b8188);
};

// The one line of an .lcf file for a board and its digits.
QString lcfLine(int boardType, const ConfigDigits& digits);

// Files are read as UTF-8, or byte for byte when they are not valid UTF-8 (older files).
QString decodeText(const QByteArray& bytes);
// The first comma-separated field of a file's first line. False (with the reason) when the
// file cannot be read; an empty file gives true and an empty `field` with `empty` set.
bool readFirstField(const QString& path, QString& field, bool& empty, QString* why);

// The program chosen for a download (`DownloadFile`) or named for an upload (`UploadFile`):
// its file names, board type, ident, revision and checksum from the rev file, the
// configuration digits from the lcf file, and whether it may be downloaded.
class ProgramFileSet {
  public:
    // Why the last DownloadFile or UploadFile did not give a valid program.
    enum class Refusal { None, FileError, Invalid };

    explicit ProgramFileSet(Prompt& prompt) : m_prompt(prompt) {}

    void DownloadFile(const QString& ovpFileName);
    // False when the .ovp is missing, empty or unreadable: nothing of the set is changed.
    bool UploadFile(const QString& ovpFileName);

    bool ValidProgram() const { return m_valid; }
    void setValidProgram(bool valid) { m_valid = valid; }
    Refusal refusal() const { return m_refusal; }

    const ProgramFileNames& names() const { return m_names; }
    int boardType() const { return m_boardType; }
    QString boardName() const { return m_boardName; }
    QString ident() const { return m_ident; }
    QString revision() const { return m_revision; }
    QString checksum() const { return m_checksum; }
    const ConfigDigits& config() const { return m_config; }

  private:
    bool readBoardType(const QString& path, const QString& errorTitle);
    bool readRevFile();
    bool readLcfFile();
    void halt(const QString& title, const QString& text, MsgIcon icon);

    Prompt& m_prompt;
    ProgramFileNames m_names;
    int m_boardType = 0;
    QString m_boardName;
    QString m_ident = QStringLiteral("Unknown");
    QString m_revision = QStringLiteral("Unknown");
    QString m_checksum = QStringLiteral("Unknown");
    ConfigDigits m_config;
    bool m_valid = false;
    Refusal m_refusal = Refusal::None;
};

// Spaces trimmed at both ends; other blanks are the field's own.
QString trimBlanks(const QString& text);

} // namespace kalvex
