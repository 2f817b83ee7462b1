#pragma once
#include "link/LinkResult.h"

class QWidget;

namespace kalvex::stale {

// How a page shows a value the board did not refresh. A display that keeps a number after its
// read failed says so at a glance: grey italic text and a tool tip with the reason, as a
// supervisory display greys out a point of bad quality. A display that never held a value read
// since the page was prepared shows a placeholder instead, never a number nobody read.

// `shows` holds a value the board has just sent: drawn normally.
void markRead(QWidget* shows);
// The read behind `shows` failed: the last good value stays, drawn stale, or the placeholder.
void markFailed(QWidget* shows, LinkFailure why);
// Every display under `page` starts over (the page was prepared for another mode).
void forgetAll(QWidget* page);
bool isStale(const QWidget* shows);

} // namespace kalvex::stale
