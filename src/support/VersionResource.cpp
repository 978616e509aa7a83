#include "VersionResource.h"
#include "platform/Exceptions.h"
#include "platform/StringModule.h"

#include <QFile>
#include <QStringList>
#include <cstring>
#include <optional>

namespace {
constexpr char SectionName[] = ".vrkversion";
constexpr uint64_t MaxBlockSize = 1 << 16;
constexpr uint16_t NoVersionInfoString = 6608;

template <class T> std::optional<T> Load(const QByteArray& bytes, uint64_t at) {
    if (at > uint64_t(bytes.size()) || uint64_t(bytes.size()) - at < sizeof(T))
        return std::nullopt;
    T value;
    std::memcpy(&value, bytes.constData() + at, sizeof value);
    return value;
}

// The bytes of the named section of a 64-bit little-endian ELF file, if it has one.
std::optional<QByteArray> ElfSection(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray elf = file.readAll();
    if (!elf.startsWith("\x7F"
                        "ELF") ||
        elf.size() < 64 || elf[4] != 2 || elf[5] != 1)
        return std::nullopt;
    const auto sectionTable = Load<uint64_t>(elf, 0x28);
    const auto entrySize = Load<uint16_t>(elf, 0x3A);
    const auto count = Load<uint16_t>(elf, 0x3C);
    const auto namesIndex = Load<uint16_t>(elf, 0x3E);
    if (!sectionTable || !entrySize || !count || !namesIndex || *entrySize < 0x28 ||
        *namesIndex >= *count)
        return std::nullopt;
    auto header = [&](uint16_t index) { return *sectionTable + uint64_t(index) * *entrySize; };
    const auto namesOffset = Load<uint64_t>(elf, header(*namesIndex) + 0x18);
    if (!namesOffset)
        return std::nullopt;
    for (uint16_t i = 0; i < *count; ++i) {
        const auto name = Load<uint32_t>(elf, header(i));
        const auto offset = Load<uint64_t>(elf, header(i) + 0x18);
        const auto size = Load<uint64_t>(elf, header(i) + 0x20);
        if (!name || !offset || !size)
            return std::nullopt;
        const uint64_t nameAt = *namesOffset + *name;
        if (nameAt + sizeof SectionName > uint64_t(elf.size()) ||
            std::memcmp(elf.constData() + nameAt, SectionName, sizeof SectionName) != 0)
            continue;
        if (*size > MaxBlockSize || *offset > uint64_t(elf.size()) ||
            uint64_t(elf.size()) - *offset < *size)
            return std::nullopt;
        return elf.mid(static_cast<qsizetype>(*offset), static_cast<qsizetype>(*size));
    }
    return std::nullopt;
}

// One node of the block: its key, its value and where its children lie.
struct TNode {
    QString Key;
    std::string_view Value;
    size_t ChildrenBegin = 0, End = 0;
};

size_t Aligned(size_t at) {
    return (at + 3) & ~size_t(3);
}

std::optional<TNode> NodeAt(const std::vector<char>& data, size_t at, size_t limit) {
    uint16_t head[3];
    if (at + 6 > limit)
        return std::nullopt;
    std::memcpy(head, data.data() + at, 6);
    const size_t end = at + head[0];
    if (head[0] < 6 || end > limit)
        return std::nullopt;
    TNode node;
    size_t p = at + 6;
    for (;; p += 2) {
        if (p + 2 > end)
            return std::nullopt;
        uint16_t unit;
        std::memcpy(&unit, data.data() + p, 2);
        if (unit == 0)
            break;
        node.Key += QChar(unit);
    }
    p = Aligned(p + 2);
    const size_t valueBytes = head[2] == 1 ? size_t(head[1]) * 2 : head[1];
    if (p > end || end - p < valueBytes)
        return std::nullopt;
    node.Value = std::string_view(data.data() + p, valueBytes);
    node.ChildrenBegin = Aligned(p + valueBytes);
    node.End = end;
    return node;
}
} // namespace

uint32_t FileVersionInfoSize(const QString& fileName) {
    const auto section = ElfSection(fileName);
    return section ? static_cast<uint32_t>(section->size()) : 0;
}

bool FileVersionInfo(const QString& fileName, std::vector<char>& data) {
    const auto section = ElfSection(fileName);
    if (!section || section->isEmpty())
        return false;
    data.assign(section->begin(), section->end());
    return true;
}

bool VersionQueryValue(const std::vector<char>& data, const QString& path,
                       std::string_view& value) {
    std::optional<TNode> node = NodeAt(data, 0, data.size());
    for (const QString& key : path.split(u'\\', Qt::SkipEmptyParts)) {
        if (!node)
            return false;
        std::optional<TNode> found;
        for (size_t at = node->ChildrenBegin; at < node->End && !found;) {
            const std::optional<TNode> child = NodeAt(data, at, node->End);
            if (!child)
                break;
            if (child->Key.compare(key, Qt::CaseInsensitive) == 0)
                found = child;
            at = Aligned(child->End);
        }
        node = found;
    }
    if (!node)
        return false;
    value = node->Value;
    return true;
}

TVersionResource::TVersionResource(const QString& fileName) {
    std::string_view fixed;
    if (FileVersionInfoSize(fileName) == 0 || !FileVersionInfo(fileName, FVersionData) ||
        !VersionQueryValue(FVersionData, "\\", fixed) || fixed.size() < 52) {
        const QString text = LoadResText(NoVersionInfoString, "No version info found in %s.");
        throw Exception(QString(text).replace("%s", fileName).toStdString());
    }
    FFixedInfo = fixed;
}

QString TVersionResource::TranslationPath() const {
    std::string_view translation;
    if (!VersionQueryValue(FVersionData, "\\VarFileInfo\\Translation", translation) ||
        translation.size() < 4)
        return {};
    uint16_t language, codePage;
    std::memcpy(&language, translation.data(), 2);
    std::memcpy(&codePage, translation.data() + 2, 2);
    auto hex = [](uint16_t word) {
        return QString::number(word, 16).rightJustified(4, u'0').toUpper();
    };
    return "\\StringFileInfo\\" + hex(language) + hex(codePage);
}

QString TVersionResource::StringValue(const QString& name) const {
    std::string_view value;
    if (!VersionQueryValue(FVersionData, TranslationPath() + "\\" + name, value))
        return {};
    QString text;
    for (size_t i = 0; i + 1 < value.size(); i += 2) {
        uint16_t unit;
        std::memcpy(&unit, value.data() + i, 2);
        if (unit == 0)
            break;
        text += QChar(unit);
    }
    return text;
}

QString TVersionResource::FixedFileVersion() const {
    uint32_t ms, ls;
    std::memcpy(&ms, FFixedInfo.data() + 8, 4);
    std::memcpy(&ls, FFixedInfo.data() + 12, 4);
    return QString("%1.%2.%3.%4").arg(ms >> 16).arg(ms & 0xFFFF).arg(ls >> 16).arg(ls & 0xFFFF);
}

QString TVersionResource::FileVersion() const {
    const QString version = StringValue("FileVersion");
    return version.isEmpty() ? FixedFileVersion() : version;
}
