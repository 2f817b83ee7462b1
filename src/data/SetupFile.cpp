#include "data/SetupFile.h"

#include "link/SafeFile.h"

#include <QFileInfo>
#include <QtEndian>

namespace kalvex {

namespace {

constexpr int kMaxText = 0xFFFF;

void putU16(QByteArray& out, quint16 v) {
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.append(b, 2);
}

void putI32(QByteArray& out, qint32 v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void putText(QByteArray& out, const QString& text) {
    const QByteArray bytes = text.toLatin1().left(kMaxText);
    putU16(out, quint16(bytes.size()));
    out.append(bytes);
}

void putArrayHeader(QByteArray& out, size_t count) {
    putU16(out, 1);
    putI32(out, qint32(count));
    putI32(out, 0);
}

// A cursor over untrusted bytes: every read checks what is left first.
class Reader {
  public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    qsizetype left() const { return m_bytes.size() - m_pos; }

    bool u16(quint16& v) {
        if (left() < 2) return false;
        v = qFromLittleEndian<quint16>(m_bytes.constData() + m_pos);
        m_pos += 2;
        return true;
    }
    bool i32(qint32& v) {
        if (left() < 4) return false;
        v = qFromLittleEndian<qint32>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool text(QString& v) {
        quint16 n = 0;
        if (!u16(n) || left() < n) return false;
        v = QString::fromLatin1(m_bytes.constData() + m_pos, n);
        m_pos += n;
        return true;
    }

  private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

// Reads one array header. The count must fit in what is left of the file at `minItemBytes`
// per item, which refuses absurd counts before anything is allocated.
bool arrayHeader(Reader& r, qsizetype minItemBytes, qint32& count, const char* what,
                 QString* error) {
    quint16 dims = 0;
    qint32 lowest = 0;
    if (!r.u16(dims) || !r.i32(count) || !r.i32(lowest)) {
        *error = QStringLiteral("The file ends inside the %1 list header.").arg(what);
        return false;
    }
    if (dims != 1) {
        *error = QStringLiteral("The %1 list has %2 dimensions instead of 1.").arg(what).arg(dims);
        return false;
    }
    if (lowest != 0) {
        *error =
            QStringLiteral("The %1 list starts at index %2 instead of 0.").arg(what).arg(lowest);
        return false;
    }
    if (count < 0 || count > kMaxSetupItems || count > r.left() / minItemBytes) {
        *error = QStringLiteral("The %1 list claims %2 items, more than the file holds.")
                     .arg(what)
                     .arg(count);
        return false;
    }
    return true;
}

} // namespace

QByteArray encodeSetupData(const SetupData& data) {
    QByteArray out;
    putText(out, data.Version);
    putArrayHeader(out, data.Address.size());
    for (const QString& a : data.Address)
        putText(out, a);
    putArrayHeader(out, data.Value.size());
    for (const qint32 v : data.Value)
        putI32(out, v);
    return out;
}

std::optional<SetupData> decodeSetupData(const QByteArray& bytes, QString* error) {
    QString ignored;
    if (!error) error = &ignored;
    Reader r(bytes);
    SetupData d;
    if (!r.text(d.Version)) {
        *error = QStringLiteral("The file ends inside the version text.");
        return std::nullopt;
    }
    qint32 count = 0;
    if (!arrayHeader(r, 2, count, "address", error)) return std::nullopt;
    d.Address.resize(size_t(count));
    for (QString& a : d.Address) {
        if (!r.text(a)) {
            *error = QStringLiteral("The file ends inside the address list.");
            return std::nullopt;
        }
    }
    if (!arrayHeader(r, 4, count, "value", error)) return std::nullopt;
    d.Value.resize(size_t(count));
    for (qint32& v : d.Value)
        r.i32(v); // the header check guarantees the bytes are there
    return d;
}

std::optional<SetupData> readSetupFile(const QString& path, QString* error) {
    QString why;
    if (const auto bytes = readLimitedFile(path, kMaxSetupFileBytes, &why))
        if (auto d = decodeSetupData(*bytes, &why)) return d;
    if (error)
        *error = QStringLiteral("Cannot read the set-up file \"%1\".\r\n%2")
                     .arg(QFileInfo(path).fileName(), why);
    return std::nullopt;
}

bool writeSetupFile(const QString& path, const SetupData& data, QString* error) {
    const QString why = saveFileAtomically(path, encodeSetupData(data));
    if (why.isEmpty()) return true;
    if (error)
        *error =
            QStringLiteral("Cannot save the set-up file \"%1\"; the file was not changed.\r\n%2")
                .arg(QFileInfo(path).fileName(), why);
    return false;
}

} // namespace kalvex
