#pragma once

class QMainWindow;

namespace kalvex {

class AppState;
class FileChooser;
class HistoryRecorder;
class Prompt;

// View > History (the History window) and Edit > History (recording on or off, sampling on
// other pages); the recorder's messages go to the status bar, and writes are named by the
// window they came from.
void installHistoryMenus(QMainWindow& window, HistoryRecorder& recorder, AppState& state,
                         Prompt& prompt, FileChooser& chooser);

} // namespace kalvex
