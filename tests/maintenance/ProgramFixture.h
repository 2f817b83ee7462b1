#pragma once
#include "data/program/ProgramFiles.h"
#include "link/ProgramTransfer.h"
#include "sim/StateFile.h"
#include "support/LinkFixture.h"

#include <QDir>
#include <QFile>

namespace kalvex::test {

// Sixteen data bytes 0x01..0x10 at 0x4000 with the record checksum, an LL = 0 line, the end.
inline const QByteArray kRecord = ":104000000102030405060708090A0B0C0D0E0F1028\r\n";
inline const QByteArray kHex = kRecord + ":0000000000\r\n" + ":00000001FF\r\n";

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline void writeProgramSet(const QDir& folder, const QByteArray& hex, char type = 'D',
                            const QByteArray& rev = "ABC:?05\r\n") {
    writeFile(folder.filePath("LINE1.ovp"), QByteArray(1, type) + ",program\r\n");
    writeFile(folder.filePath("LINE1.rev"), rev);
    writeFile(folder.filePath("LINE1.hex"), hex);
}

class ProgramFixture : public LinkFixture {
  protected:
    QString path(const QString& name) const { return home.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const { writeFile(path(name), bytes); }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    void writeProgram(const QByteArray& hex, char type = 'D',
                      const QByteArray& rev = "ABC:?05\r\n") const {
        writeProgramSet(QDir(home.path()), hex, type, rev);
    }
    void state(const char* text) {
        QString error;
        ASSERT_TRUE(sim::applyState(board, QString::fromLatin1(text), &error)) << qPrintable(error);
    }

    ProgramTransfer transfer{link, clock};
    ProgramFileSet files{prompt};
};

} // namespace kalvex::test
