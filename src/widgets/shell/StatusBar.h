#pragma once
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

#include <array>

namespace kalvex {

// One panel of the status bar; it reports double-clicks. A text too long for the panel is
// cut with "..." and shown whole in the tool tip; it never widens the window.
class StatusPanel final : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

    QSize minimumSizeHint() const override;
    // The text when it fits, else the text elided to the panel's width.
    QString shownText() const;

  Q_SIGNALS:
    void doubleClicked();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    bool event(QEvent* e) override;
};

// sbrMain: STATUS, MODE, DATE and TIME, indexed from 1. Date and time are kept current.
class StatusBar final : public QStatusBar {
    Q_OBJECT
  public:
    enum Panel { Status = 1, Mode = 2, Date = 3, Time = 4 };

    explicit StatusBar(QWidget* parent = nullptr);
    StatusPanel* panel(int index) const { return m_panels.at(size_t(index - 1)); }

  Q_SIGNALS:
    void panelDblClick(int index);

  private:
    void refreshClock();

    std::array<StatusPanel*, 4> m_panels{};
    QTimer m_clock;
};

} // namespace kalvex
