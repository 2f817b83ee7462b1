#include "support/LinkFixture.h"

#include <QDir>
#include <QFile>

using namespace kalvex;
using kalvex::test::LinkFixture;

namespace {

class IdentityTest : public LinkFixture {
  protected:
    void writeFaults(const QString& folder, const QByteArray& content) {
        QDir(home.path()).mkpath(folder);
        QFile f(home.filePath(folder + QStringLiteral("/FaultErrCodes.txt")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
};

TEST_F(IdentityTest, RevisionAndFaultCodeOnlyFromABoardThatAnswers) {
    board.setValue("B8159", 42);
    board.setValue("B8176", 0x5C);
    EXPECT_EQ(link.FirmwareRev(), 42);
    EXPECT_EQ(link.FaultCode(), 0x5C);
    board.faults().silent = true;
    EXPECT_EQ(link.FaultCode(), 0);
    EXPECT_TRUE(link.CommError());
    link.CloseRSComm();
    link.setCommError(false); // being offline alone keeps the revision read off the wire
    board.clearTranscript();
    EXPECT_EQ(link.FirmwareRev(), -1);
    EXPECT_TRUE(sent().isEmpty());
}

TEST_F(IdentityTest, FaultTextsFromTheFile) {
    writeFaults(
        "support",
        "0a,Text\r\n0A,Second\r\n  5C ,  \"Program is invalid, download again\"  \r\nFF,Last\r\n"
        "100,Wide\r\ngarbage line without comma\r\n\"unterminated,quote\r\n05\r\n");
    const std::pair<int, const char*> cases[] = {
        {10, "Fault Code (0AH): Text"},
        {0x5C, "Fault Code (5CH): Program is invalid, download again"},
        {255, "Fault Code (FFH): Last"},
        {256, "Fault Code (100H): Wide"},
        {5, "Fault Code (05H): "},
        {0x42, "Fault Code (42H): no text installed for this code"},
    };
    for (auto [code, text] : cases)
        EXPECT_EQ(link.FaultDescription(code), text) << code;
    EXPECT_TRUE(prompt.boxes.empty());
}

TEST_F(IdentityTest, MissingFaultFileIsSaidAndASupportFolderOfAnyCaseIsRead) {
    EXPECT_EQ(link.FaultDescription(10), "Fault Code (0AH): --- Fault File Not Found ---");
    QDir(home.filePath("support")).removeRecursively();
    writeFaults("Support", "");
    EXPECT_EQ(link.FaultDescription(10), "Fault Code (0AH): no text installed for this code");
}

} // namespace
