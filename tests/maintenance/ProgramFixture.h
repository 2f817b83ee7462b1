#pragma once
#include "data/program/ProgramFiles.h"
#include "link/ProgramTransfer.h"
#include "sim/StateFile.h"
#include "support/LinkFixture.h"

#include <QFile>

namespace kalvex::test {

// A link online with the simulated board, and a folder for program files.
class ProgramFixture : public LinkFixture {
  protected:
    QString path(const QString& name) const { return home.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QByteArray read(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    // A program set LINE1 for a board type, with its rev line and .hex text.
    void writeProgram(const QByteArray& hex, char type = 'D',
                      const QByteArray& rev = "ABC:?05\r\n") const {
        write(QStringLiteral("LINE1.ovp"), QByteArray(1, type) + ",program\r\n");
        write(QStringLiteral("LINE1.rev"), rev);
        write(QStringLiteral("LINE1.hex"), hex);
    }
    void state(const char* text) {
        QString error;
        ASSERT_TRUE(sim::applyState(board, QString::fromLatin1(text), &error)) << qPrintable(error);
    }

    ProgramTransfer transfer{link, clock};
    ProgramFileSet files{prompt};
};

} // namespace kalvex::test
