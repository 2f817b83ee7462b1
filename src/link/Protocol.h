#pragma once

namespace kalvex {

// Bytes of the board's lock-step protocol, as the PC side sends and expects them.
inline constexpr int kAttention = 0xFF;   // starts a mode change; resynchronises a lost exchange
inline constexpr int kAcknowledge = 0x55; // the board took a mode or command; the PC's "go on"
inline constexpr int kPlsReadyQuery = 0x38;

} // namespace kalvex
