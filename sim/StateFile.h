#pragma once
#include "sim/Board.h"

namespace kalvex::sim {

// Sets the board from a text file of "name = value" lines ('#' starts a comment). A name is a
// board address (W98, B52, D1100, F119, B1016.0) or one of: speed, overvarnish, running,
// spindles, silent, silent_after, lose_write_at, wrong_echo_at, delay_ms, baud, refuse_modes,
// pls_scale, pls_offset, pls_position (the shown position, after pls_scale and pls_offset),
// pls_busy_ms, pls_never_ready, sticky_fault (a fault code B8176 takes again whenever it is
// cleared), clock_running (the board clock ticks), line_speed (answer only a line set to 9600 or
// 19200), gateway (the DF1 gateway's traffic runs), gateway_sts and gateway_ext_sts (a link-layer
// error), gateway_config (B1423), program_bad_checksum_at, program_no_checksum_at (data
// records counted from 1), program_no_exit_ack. A bad line gives a message naming it and changes
// nothing.
bool loadState(Board& board, const QString& path, QString* error);
bool applyState(Board& board, const QString& text, QString* error);

} // namespace kalvex::sim
