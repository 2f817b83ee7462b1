#pragma once
#include "support/CliRunner.h"

namespace kalvex::test {

// A refused or failed run: its exit code, a message on stderr that starts with the program's
// name and says why, and nothing on stdout that could be taken for a result.
inline void expectFailure(const CliRun& r, int code, const char* says) {
    EXPECT_EQ(r.code, code) << qPrintable(r.err);
    EXPECT_TRUE(r.err.startsWith(QLatin1String("kalvex-cli: "))) << qPrintable(r.err);
    EXPECT_TRUE(r.err.contains(QLatin1String(says))) << says << "\n" << qPrintable(r.err);
    EXPECT_TRUE(r.out.isEmpty()) << qPrintable(r.out);
}

} // namespace kalvex::test
