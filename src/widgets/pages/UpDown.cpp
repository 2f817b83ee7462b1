#include "widgets/pages/UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace kalvex {

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    for (QToolButton* b : {m_up, m_down}) {
        b->setFocusPolicy(Qt::NoFocus); // the text box keeps the focus while spinning
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        layout->addWidget(b);
        // An arrow that is left down repeats its step: a refused press never goes down.
        connect(b, &QToolButton::pressed, this, [this, b] {
            if (m_guard && !m_guard()) b->setDown(false);
        });
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { Q_EMIT stepped(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
}

void UpDown::setRange(int min, int max) {
    m_min = min;
    m_max = max;
}

} // namespace kalvex
