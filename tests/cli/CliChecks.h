#pragma once
#include "support/CliRunner.h"

namespace kalvex::test {

// `text` holds `part`; a failure shows the whole text.
inline ::testing::AssertionResult has(const QString& text, const QString& part) {
    if (text.contains(part)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "no \"" << qPrintable(part) << "\" in\n"
                                         << qPrintable(text);
}

// A refused or failed run: its exit code, why on stderr after the program's name, no stdout.
inline void expectFailure(const CliRun& r, int code, const QString& says) {
    EXPECT_EQ(r.code, code) << qPrintable(r.err);
    EXPECT_TRUE(r.err.startsWith(QLatin1String("kalvex-cli: "))) << qPrintable(r.err);
    EXPECT_TRUE(has(r.err, says));
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
}

inline void expectOutput(const CliRun& r, const QString& out, int code = 0) {
    EXPECT_EQ(r.code, code) << qPrintable(r.err);
    EXPECT_EQ(r.out, out);
}

} // namespace kalvex::test
