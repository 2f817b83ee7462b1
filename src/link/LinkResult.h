#pragma once
#include <QString>
#include <QtGlobal>

#include <optional>

namespace kalvex {

// Why a board request did not complete. Every caller gets one of these with its value, so a
// failed read can never pass for a board value of 0.
enum class LinkFailure {
    None,
    RefusedInput, // the address or value was refused before anything was sent
    NoAnswer,     // the board did not answer (or the port is closed, or the user gave up)
    WrongEcho,    // the board answered with another byte than it was sent
    Cancelled,    // the operator stopped a transfer between two items
};

struct [[nodiscard]] LinkResult {
    qint64 value = 0;
    LinkFailure failure = LinkFailure::None;

    bool ok() const { return failure == LinkFailure::None; }
    explicit operator bool() const { return ok(); }
};

// A request's value only when it succeeded.
inline std::optional<qint64> valueIf(const LinkResult& r) {
    return r ? std::optional<qint64>(r.value) : std::nullopt;
}

inline QString failureText(LinkFailure f) {
    switch (f) {
    case LinkFailure::None:
        return QStringLiteral("done");
    case LinkFailure::RefusedInput:
        return QStringLiteral("refused");
    case LinkFailure::NoAnswer:
        return QStringLiteral("no answer from the board");
    case LinkFailure::WrongEcho:
        return QStringLiteral("wrong echo from the board");
    case LinkFailure::Cancelled:
        return QStringLiteral("cancelled");
    }
    return {};
}

// What a display shows in place of a value the board did not give; None: skipped after an
// earlier failure.
inline QString notReadText(LinkFailure f) {
    switch (f) {
    case LinkFailure::WrongEcho:
        return QStringLiteral("not read: wrong echo");
    case LinkFailure::None:
        return QStringLiteral("not read");
    default:
        return QStringLiteral("not read: no answer");
    }
}

} // namespace kalvex
