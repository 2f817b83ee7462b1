#pragma once
#include "link/Prompt.h"

#include <cstdio>

namespace kalvex::bench {

// A benchmark has nobody to answer boxes: print them and cancel.
class QuietPrompt final : public Prompt {
  public:
    MsgAnswer message(const QString& title, const QString& text, MsgButtons, MsgIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        return MsgAnswer::Cancel;
    }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

} // namespace kalvex::bench
