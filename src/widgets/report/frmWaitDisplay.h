#pragma once
#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>

namespace kalvex {

// "Please Standby ...": shown, not modal, while a report is generated. It runs the job once
// it has been drawn, then hides and deletes itself.
class frmWaitDisplay final : public QDialog {
    Q_OBJECT
  public:
    // `reportRequest` 1 runs `job` as the report ("Generating Report, Please Standby ...").
    frmWaitDisplay(int reportRequest, std::function<void()> job, QWidget* parent = nullptr);
    ~frmWaitDisplay() override;

    // Centres and shows the window; the job follows on its own.
    void start();

  Q_SIGNALS:
    // The job has run and the window is hidden.
    void done();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Ui;
    void run();

    std::unique_ptr<Ui> ui;
    int m_request;
    std::function<void()> m_job;
    // In case the window is never drawn (a minimised main window).
    QTimer m_fallback;
    bool m_started = false;
};

} // namespace kalvex
