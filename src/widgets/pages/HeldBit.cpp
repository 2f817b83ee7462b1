#include "widgets/pages/HeldBit.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace kalvex {

HeldBit::HeldBit(QAbstractButton* button, QString address, Write write)
    : QObject(button), m_button(button), m_address(std::move(address)), m_write(std::move(write)) {
    button->installEventFilter(this);
}

bool HeldBit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_button) return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) press();
        return false;
    case QEvent::MouseButtonRelease:
        // Wherever the pointer is now: the button kept the mouse since the press.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) release();
        return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // Space would press the button as a click does; the bit is the mouse's alone.
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Space || key == Qt::Key_Select || key == Qt::Key_Return ||
               key == Qt::Key_Enter;
    }
    case QEvent::EnabledChange:
    case QEvent::Hide:
        if (!m_button->isEnabled() || !m_button->isVisible()) m_mouseDown = false;
        return false;
    default:
        return false;
    }
}

void HeldBit::press() {
    m_mouseDown = true;
    // Refused means nothing was sent; any other failure may have set the bit.
    const LinkResult r = m_write(m_address, QStringLiteral("1"));
    if (r.failure != LinkFailure::RefusedInput) m_held = true;
}

void HeldBit::release() {
    m_mouseDown = false;
    settle();
}

bool HeldBit::settle() {
    if (!m_held) return true;
    if (m_mouseDown && (QGuiApplication::mouseButtons() & Qt::LeftButton)) return false;
    m_mouseDown = false;
    if (m_write(m_address, QStringLiteral("0"))) m_held = false;
    return !m_held;
}

} // namespace kalvex
