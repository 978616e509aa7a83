#include "VersionBlockWriter.h"

#include <QString>
#include <cstring>

namespace {
constexpr uint32_t FixedInfoSignature = 0xFEEF04BD;

void Align4(std::vector<char>& bytes) {
    while (bytes.size() % 4)
        bytes.push_back(0);
}

void PutWord(std::vector<char>& bytes, size_t at, uint16_t value) {
    std::memcpy(bytes.data() + at, &value, 2);
}

void AppendUtf16(std::vector<char>& bytes, const QString& text) {
    for (QChar c : text) {
        const uint16_t unit = c.unicode();
        bytes.insert(bytes.end(), reinterpret_cast<const char*>(&unit),
                     reinterpret_cast<const char*>(&unit) + 2);
    }
    bytes.push_back(0);
    bytes.push_back(0);
}

// One node: length, value length, type, key, value and children, each part 32-bit aligned.
std::vector<char> Node(const QString& key, const std::vector<char>& value, uint16_t valueLength,
                       uint16_t type, const std::vector<std::vector<char>>& children = {}) {
    std::vector<char> bytes(6, 0);
    AppendUtf16(bytes, key);
    Align4(bytes);
    bytes.insert(bytes.end(), value.begin(), value.end());
    for (const auto& child : children) {
        Align4(bytes);
        bytes.insert(bytes.end(), child.begin(), child.end());
    }
    PutWord(bytes, 0, static_cast<uint16_t>(bytes.size()));
    PutWord(bytes, 2, valueLength);
    PutWord(bytes, 4, type);
    return bytes;
}

std::vector<char> FixedInfo(const TVersionBlockContent& c) {
    uint32_t words[13] = {};
    words[0] = FixedInfoSignature;
    words[1] = 0x00010000;
    words[2] = uint32_t(c.FileVersion[0]) << 16 | c.FileVersion[1];
    words[3] = uint32_t(c.FileVersion[2]) << 16 | c.FileVersion[3];
    words[4] = uint32_t(c.ProductVersion[0]) << 16 | c.ProductVersion[1];
    words[5] = uint32_t(c.ProductVersion[2]) << 16 | c.ProductVersion[3];
    words[6] = 0x3F;
    std::vector<char> bytes(sizeof words);
    std::memcpy(bytes.data(), words, sizeof words);
    return bytes;
}

QString TranslationKey(const TVersionBlockContent::Translation& t) {
    return QString("%1%2")
        .arg(t.Language, 4, 16, QChar('0'))
        .arg(t.CodePage, 4, 16, QChar('0'))
        .toUpper();
}
} // namespace

std::vector<char> WriteVersionBlock(const TVersionBlockContent& content) {
    std::vector<std::vector<char>> tables;
    std::vector<char> translationList;
    for (const auto& translation : content.Translations) {
        std::vector<std::vector<char>> strings;
        for (const auto& [name, text] : translation.Strings) {
            std::vector<char> value;
            const QString unicode = QString::fromStdString(text);
            AppendUtf16(value, unicode);
            strings.push_back(Node(QString::fromStdString(name), value,
                                   static_cast<uint16_t>(unicode.size() + 1), 1));
        }
        tables.push_back(Node(TranslationKey(translation), {}, 0, 1, strings));
        const uint16_t pair[2] = {translation.Language, translation.CodePage};
        translationList.insert(translationList.end(), reinterpret_cast<const char*>(pair),
                               reinterpret_cast<const char*>(pair) + 4);
    }
    std::vector<std::vector<char>> children;
    children.push_back(Node("StringFileInfo", {}, 0, 1, tables));
    if (content.WriteTranslationList)
        children.push_back(Node("VarFileInfo", {}, 0, 1,
                                {Node("Translation", translationList,
                                      static_cast<uint16_t>(translationList.size()), 0)}));
    const std::vector<char> fixed =
        content.WriteFixedInfo ? FixedInfo(content) : std::vector<char>();
    return Node("VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), 0, children);
}
