#include "versionrecord.h"

// A Windows executable or library keeps its version in the resource
// section: the resource tree leads by type 16 (version), then the first
// name and the first language, to a VS_VERSIONINFO block. That block and
// everything in it are nested blocks of one layout (length, value length,
// type, UTF-16 key, value, children), each aligned to 4 bytes.

namespace {

const quint32 versionResourceType = 16;
const quint32 fixedInfoSignature = 0xFEEF04BD;
const quint32 subdirectoryBit = 0x80000000;

class PeImage
{
public:
    explicit PeImage(const QByteArray &file) : m_reader(file) {}

    bool readHeaders();
    // The file offset of a relative virtual address; 0 when no section holds it.
    quint64 fileOffset(quint64 rva) const;
    quint64 resourceRva() const { return m_resourceRva; }
    const ByteReader &reader() const { return m_reader; }

private:
    ByteReader m_reader;
    quint64 m_sections = 0;
    quint64 m_sectionCount = 0;
    quint64 m_resourceRva = 0;
};

bool PeImage::readHeaders()
{
    const quint64 pe = m_reader.u32(0x3C);
    if (!m_reader.has(pe, 24) || m_reader.u32(pe) != 0x4550)
        return false;
    const quint64 coff = pe + 4;
    const quint64 optional = coff + 20;
    const quint16 magic = m_reader.u16(optional);
    if (magic != 0x10B && magic != 0x20B)
        return false;
    const quint64 directories = optional + (magic == 0x20B ? 112 : 96);
    if (m_reader.u32(directories - 4) < 3)
        return false;
    m_resourceRva = m_reader.u32(directories + 2 * 8);
    m_sectionCount = m_reader.u16(coff + 2);
    m_sections = optional + m_reader.u16(coff + 16);
    return m_resourceRva != 0;
}

quint64 PeImage::fileOffset(quint64 rva) const
{
    for (quint64 i = 0; i < m_sectionCount; ++i) {
        const quint64 header = m_sections + i * 40;
        const quint64 start = m_reader.u32(header + 12);
        const quint64 size = qMax(m_reader.u32(header + 8), m_reader.u32(header + 16));
        if (rva >= start && rva < start + size)
            return m_reader.u32(header + 20) + (rva - start);
    }
    return 0;
}

// The entry of a resource directory with that id, or its first entry.
quint32 directoryEntry(const ByteReader &reader, quint64 directory, qint64 id = -1)
{
    const quint64 count = quint64(reader.u16(directory + 12)) + reader.u16(directory + 14);
    for (quint64 i = 0; i < count; ++i) {
        const quint64 entry = directory + 16 + i * 8;
        if (id < 0 || reader.u32(entry) == quint32(id))
            return reader.u32(entry + 4);
    }
    return 0;
}

struct Block
{
    QString key;
    quint64 value = 0;
    quint64 valueSize = 0;
    quint64 children = 0;
    quint64 end = 0;
};

QString utf16Text(const ByteReader &reader, quint64 at, quint64 end)
{
    QString text;
    for (; at + 2 <= end && reader.u16(at) != 0; at += 2)
        text.append(QChar(reader.u16(at)));
    return text;
}

bool readBlock(const ByteReader &reader, quint64 base, quint64 at, quint64 limit, Block *block)
{
    const auto align = [base](quint64 offset) { return base + ((offset - base + 3) & ~quint64(3)); };
    const quint64 length = reader.u16(at);
    if (length < 6 || at + length > limit || !reader.has(at, length))
        return false;
    block->end = at + length;
    block->key = utf16Text(reader, at + 6, block->end);
    block->value = align(at + 6 + quint64(block->key.size() + 1) * 2);
    // A text value counts its length in characters, any other in bytes.
    block->valueSize = reader.u16(at + 2) * (reader.u16(at + 4) == 1 ? 2u : 1u);
    block->children = qMin(align(block->value + block->valueSize), block->end);
    return block->value <= block->end;
}

// Calls visit for each child block of the parent, in order.
template<typename Visit>
void forEachChild(const ByteReader &reader, quint64 base, const Block &parent, Visit visit)
{
    Block child;
    for (quint64 at = parent.children; at < parent.end; at = base + ((child.end - base + 3) & ~quint64(3))) {
        if (!readBlock(reader, base, at, parent.end, &child))
            return;
        visit(child);
    }
}

void readStringTables(const ByteReader &reader, quint64 base, const Block &fileInfo, VersionRecord *record)
{
    forEachChild(reader, base, fileInfo, [&](const Block &table) {
        QHash<QString, QString> &strings = record->strings[table.key.toUpper()];
        forEachChild(reader, base, table, [&](const Block &entry) {
            strings.insert(entry.key.toLower(), utf16Text(reader, entry.value, entry.end));
        });
    });
}

bool readVersionBlock(const ByteReader &reader, quint64 at, quint64 size, VersionRecord *record)
{
    Block root;
    if (!reader.has(at, size) || !readBlock(reader, at, at, at + size, &root)
            || root.key != QLatin1String("VS_VERSION_INFO") || root.valueSize < 52
            || reader.u32(root.value) != fixedInfoSignature)
        return false;
    record->fixedVersion = (quint64(reader.u32(root.value + 8)) << 32) | reader.u32(root.value + 12);
    forEachChild(reader, at, root, [&](const Block &child) {
        if (child.key == QLatin1String("StringFileInfo"))
            readStringTables(reader, at, child, record);
    });
    return true;
}

} // namespace

bool readPeVersion(const QByteArray &file, VersionRecord *record)
{
    PeImage image(file);
    if (!file.startsWith("MZ") || !image.readHeaders())
        return false;
    const ByteReader &reader = image.reader();
    const quint64 root = image.fileOffset(image.resourceRva());
    if (root == 0)
        return false;
    quint32 entry = directoryEntry(reader, root, versionResourceType);
    // Type, name, language: three directories deep, then the data entry.
    for (int level = 0; level < 2; ++level) {
        if (!(entry & subdirectoryBit))
            return false;
        entry = directoryEntry(reader, root + (entry & ~subdirectoryBit));
    }
    if (entry == 0 || (entry & subdirectoryBit))
        return false;
    const quint64 data = root + entry;
    const quint64 block = image.fileOffset(reader.u32(data));
    return block != 0 && readVersionBlock(reader, block, reader.u32(data + 4), record);
}
