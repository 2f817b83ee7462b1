#pragma once
#include <QObject>

namespace kalvex {

class RSComm;

// The one place a lost link turns into offline mode (which closes the port); windows only
// follow the link's signals. The switch waits for the end of what saw the loss: the pass of a
// refresh loop (which then settles), or the first reads after going online. A pass that must
// run to its end after the loss (marking every display it could not read) holds it off.
class LostLink : public QObject {
    Q_OBJECT
  public:
    // The link's watcher, made on first use; it lives as long as the link.
    static LostLink& of(RSComm& link);

    void hold() { ++m_holds; }
    void release() { m_holds -= m_holds > 0 ? 1 : 0; }
    // Goes offline if the link was lost since it last changed mode and nothing holds it.
    void settle();

  private:
    explicit LostLink(RSComm& link);

    RSComm& m_link;
    int m_holds = 0;
    bool m_lost = false;
};

} // namespace kalvex
