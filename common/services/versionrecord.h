#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// What a file says of its version, whatever its format: the fixed version
// and the string tables, by language and code page (upper case) and name.
struct VersionRecord
{
    quint64 fixedVersion = 0;
    QHash<QString, QHash<QString, QString>> strings;
};

// Each reader fills the record from the file's bytes and returns false when
// the bytes are not its format or carry no version. Neither trusts a single
// offset or size of the file: a damaged or hostile file gives false.
bool readElfVersion(const QByteArray &file, VersionRecord *record);
bool readPeVersion(const QByteArray &file, VersionRecord *record);

// Reads numbers of either byte order from a file's bytes; a read out of
// range gives 0, so that a damaged file yields no version rather than a crash.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &bytes, bool bigEndian = false)
        : m_bytes(bytes), m_bigEndian(bigEndian)
    {
    }

    bool has(quint64 at, quint64 size) const
    {
        const quint64 length = quint64(m_bytes.size());
        return at <= length && size <= length - at;
    }
    quint16 u16(quint64 at) const { return quint16(read(at, 2)); }
    quint32 u32(quint64 at) const { return quint32(read(at, 4)); }
    quint64 u64(quint64 at) const { return read(at, 8); }
    const char *data(quint64 at) const { return m_bytes.constData() + at; }

private:
    quint64 read(quint64 at, int size) const
    {
        if (!has(at, quint64(size)))
            return 0;
        quint64 value = 0;
        for (int i = 0; i < size; ++i) {
            const quint64 byte = quint8(m_bytes.at(int(at) + (m_bigEndian ? i : size - 1 - i)));
            value = (value << 8) | byte;
        }
        return value;
    }

    const QByteArray &m_bytes;
    bool m_bigEndian;
};
