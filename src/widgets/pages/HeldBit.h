#pragma once
#include "link/LinkResult.h"

#include <QObject>
#include <QString>

#include <functional>

class QAbstractButton;

namespace kalvex {

// A board bit that is set for as long as the operator holds a button down with the mouse:
// 1 on the press, 0 on the release. The keyboard never presses it. A bit whose 0 did not reach
// the board (the link failed, a box took the mouse, the page went offline or closed between
// press and release) stays owed, and settle() clears it as soon as the page can write again.
class HeldBit : public QObject {
    Q_OBJECT
  public:
    using Write = std::function<LinkResult(const QString& address, const QString& value)>;

    HeldBit(QAbstractButton* button, QString address, Write write);

    // The 0 is still owed to the board.
    bool held() const { return m_held; }
    const QString& address() const { return m_address; }
    // The operator was told the bit stays set: nothing more is owed from here.
    void abandon() { m_held = false; }
    QAbstractButton* button() const { return m_button; }
    // Clears an owed bit unless the mouse still holds the button; true when nothing is owed.
    bool settle();
    // The button is going away: whatever the mouse does, the bit is cleared if it can be.
    void letGo() { release(); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void press();
    void release();

    QAbstractButton* m_button;
    QString m_address;
    Write m_write;
    bool m_mouseDown = false;
    bool m_held = false;
};

} // namespace kalvex
