#pragma once
#include <QWidget>

#include <functional>

class QToolButton;

namespace kalvex {

// The spin (up/down) control paired with an entry field's text box: two arrow buttons with
// Min and Max and a step of 1. It moves the value shown in its buddy text, not a value of
// its own, so what the user typed is where a click starts from.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);

    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int min, int max);

    // Asked when an arrow is pressed; false cancels the press (no step, no repeat).
    void setPressGuard(std::function<bool()> guard) { m_guard = std::move(guard); }

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

  Q_SIGNALS:
    // +1 or -1 for a click.
    void stepped(int direction);

  private:
    QToolButton* m_up;
    QToolButton* m_down;
    std::function<bool()> m_guard;
    int m_min = 0;
    int m_max = 100;
};

} // namespace kalvex
