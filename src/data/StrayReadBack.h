#pragma once
#include "data/BoardWrite.h"
#include "link/LinkResult.h"

#include <QString>

#include <utility>
#include <vector>

namespace kalvex {

class Prompt;
class RSComm;

// Watches the link from its construction: where a resynchronisation during the writes made
// since then may have stored a stray 0xFF. The bytes of a write the board confirmed hold what
// was written, so the candidates noted before its confirmation are left out there.
class StrayWatch {
  public:
    explicit StrayWatch(const RSComm& link);
    void confirmed(const QString& address);
    // Once each, in the order seen.
    std::vector<int> candidates() const;

  private:
    const RSComm& m_link;
    size_t m_before;
    struct Confirmed {
        qint64 first, last; // its bytes
        size_t seenBefore;  // the candidates noted up to its confirmation
    };
    std::vector<Confirmed> m_confirmed;
};

// What the read-back of the candidates found.
struct StrayCheck {
    std::vector<int> candidates; // where a stray may have landed
    std::vector<int> strays;     // those that read 255, the value a stray leaves
    bool read = false;           // the read-back ran to its end
    // Something to tell: a byte that reads 255, or candidates that could not be read.
    bool doubtful() const { return !candidates.empty() && (!read || !strays.empty()); }
    // What the operator is told; empty when there is nothing to tell.
    QString text() const;
};

// Reads back the candidates of `watch` (nothing is read when there are none).
StrayCheck readBackStrays(RSComm& link, const StrayWatch& watch);

// Writes in order until one fails, then reads back the stray candidates of all of them.
struct CheckedWrites {
    LinkResult result; // the first failure, or success
    size_t written = 0;
    StrayCheck strays;
};
CheckedWrites writeChecked(RSComm& link, const std::vector<BoardWrite>& writes);

// One write from a window: the write, the read-back after a resynchronisation, and a message
// titled `title` when a byte may have been changed that nobody meant to write.
LinkResult writeAndTell(RSComm& link, Prompt& prompt, const QString& title, const QString& address,
                        const QString& value);
void tellStrays(Prompt& prompt, const QString& title, const StrayCheck& check);

} // namespace kalvex
