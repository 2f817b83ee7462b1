#pragma once
#include <QString>
#include <QtGlobal>

namespace kalvex {

// Why a board request did not complete. The text API ("0" on a failed read) stays for the
// pages; scripts and transfers use this to tell a refused entry from a silent board.
enum class LinkFailure {
    None,
    RefusedInput, // the address or value was refused before anything was sent
    NoAnswer,     // the board did not answer (or the port is closed, or the user gave up)
    WrongEcho,    // the board answered with another byte than it was sent
    Cancelled,    // the operator stopped a transfer between two items
};

struct LinkResult {
    qint64 value = 0;
    LinkFailure failure = LinkFailure::None;

    bool ok() const { return failure == LinkFailure::None; }
    explicit operator bool() const { return ok(); }
};

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

} // namespace kalvex
