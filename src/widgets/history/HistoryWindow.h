#pragma once
#include "data/history/HistoryStore.h"
#include "data/history/HistoryTypes.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QDateTimeEdit;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kalvex {

class FileChooser;
class HistoryChart;
class HistoryRecorder;
class Prompt;

// View > History: the timeline of speed and production over a chosen range, with the events
// below it (filter by kind, search), and export of the visible range to CSV and of the chart
// to PNG.
class HistoryWindow final : public QWidget {
    Q_OBJECT
  public:
    HistoryWindow(HistoryRecorder& recorder, Prompt& prompt, FileChooser& chooser,
                  QWidget* parent = nullptr);

    // Reads the chosen range again (what was recorded up to now included).
    void reload();
    // The rows of the table as shown: the visible range, the kind and the search applied.
    const std::vector<HistoryEvent>& shownEvents() const { return m_shown; }
    void setNow(std::function<qint64()> now) { m_now = std::move(now); }

  private:
    struct Ui {
        QComboBox* cboRange = nullptr;
        QDateTimeEdit* dtpFrom = nullptr;
        QDateTimeEdit* dtpTo = nullptr;
        QPushButton* cmdRefresh = nullptr;
        HistoryChart* chtHistory = nullptr;
        QComboBox* cboKind = nullptr;
        QLineEdit* txtSearch = nullptr;
        QTableWidget* tblEvents = nullptr;
        QPushButton* cmdExportCsv = nullptr;
        QPushButton* cmdExportPng = nullptr;
    };

    void build();
    std::pair<qint64, qint64> chosenRange();
    void showEvents();
    void exportCsv();
    void exportPng();

    Ui ui;
    HistoryRecorder& m_recorder;
    Prompt& m_prompt;
    FileChooser& m_chooser;
    HistoryStore m_store;
    std::function<qint64()> m_now;
    std::vector<HistoryEvent> m_events; // of the whole range loaded
    std::vector<HistoryEvent> m_shown;
};

} // namespace kalvex
