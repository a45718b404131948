#include "versionrecord.h"

#include <QList>

// The build writes one note into every library and program of the project:
// owner "Varkolin", type 1, and a description of the four version numbers
// (16 bits each, a first, in the file's byte order) and then the string
// tables as NUL-terminated UTF-8 texts: a table's name (language and code
// page), its names and values in pairs, an empty name; an empty table name
// ends them all.

namespace {

const char noteOwner[] = "Varkolin";
const quint32 versionNoteType = 1;
const quint32 sectionTypeNote = 7;

quint64 align4(quint64 value)
{
    return (value + 3) & ~quint64(3);
}

void readStrings(const ByteReader &reader, quint64 at, quint64 end, VersionRecord *record)
{
    const QList<QByteArray> texts = QByteArray(reader.data(at), int(end - at)).split('\0');
    int i = 0;
    while (i < texts.size() && !texts.at(i).isEmpty()) {
        QHash<QString, QString> &table = record->strings[QString::fromUtf8(texts.at(i)).toUpper()];
        for (++i; i + 1 < texts.size() && !texts.at(i).isEmpty(); i += 2)
            table.insert(QString::fromUtf8(texts.at(i)).toLower(), QString::fromUtf8(texts.at(i + 1)));
        ++i;
    }
}

bool readVersionNote(const ByteReader &reader, quint64 at, quint64 size, VersionRecord *record)
{
    if (size < 8 || !reader.has(at, size))
        return false;
    record->fixedVersion = (quint64(reader.u16(at)) << 48) | (quint64(reader.u16(at + 2)) << 32)
            | (quint64(reader.u16(at + 4)) << 16) | reader.u16(at + 6);
    readStrings(reader, at + 8, at + size, record);
    return true;
}

bool readNotes(const ByteReader &reader, quint64 at, quint64 size, VersionRecord *record)
{
    if (!reader.has(at, size))
        return false;
    const quint64 end = at + size;
    while (end - at >= 12) {
        const quint64 nameSize = reader.u32(at);
        const quint64 descSize = reader.u32(at + 4);
        const quint64 name = at + 12;
        const quint64 desc = name + align4(nameSize);
        if (desc > end || align4(descSize) > end - desc)
            return false;
        if (reader.u32(at + 8) == versionNoteType && nameSize == sizeof(noteOwner)
                && qstrncmp(reader.data(name), noteOwner, sizeof(noteOwner)) == 0)
            return readVersionNote(reader, desc, descSize, record);
        at = desc + align4(descSize);
    }
    return false;
}

} // namespace

bool readElfVersion(const QByteArray &file, VersionRecord *record)
{
    if (file.size() < 64 || !file.startsWith("\x7f" "ELF"))
        return false;
    const bool is64 = file.at(4) == 2;
    const ByteReader reader(file, file.at(5) == 2);
    const quint64 sections = is64 ? reader.u64(0x28) : reader.u32(0x20);
    const quint64 entrySize = reader.u16(is64 ? 0x3A : 0x2E);
    const quint64 count = reader.u16(is64 ? 0x3C : 0x30);
    if (entrySize < (is64 ? 0x28u : 0x18u) || !reader.has(sections, count * entrySize))
        return false;
    for (quint64 i = 0; i < count; ++i) {
        const quint64 header = sections + i * entrySize;
        if (reader.u32(header + 4) != sectionTypeNote)
            continue;
        const quint64 offset = is64 ? reader.u64(header + 0x18) : reader.u32(header + 0x10);
        const quint64 size = is64 ? reader.u64(header + 0x20) : reader.u32(header + 0x14);
        if (readNotes(reader, offset, size, record))
            return true;
    }
    return false;
}
