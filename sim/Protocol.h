#pragma once
#include <QtGlobal>

namespace kalvex::sim {

// The board's side of the byte protocol, kept apart from the link's so that a wrong constant on
// one side shows up in the tests instead of agreeing with itself.
inline constexpr quint8 kAttention = 0xFF;
inline constexpr quint8 kAcknowledge = 0x55;
inline constexpr quint8 kPlsReadyQuery = 0x38;

} // namespace kalvex::sim
