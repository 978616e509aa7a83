#include "FileNames.h"

#include <sys/stat.h>

namespace {
// The length of the valid UTF-8 sequence at i, or 0.
int SequenceLength(const QByteArray& bytes, qsizetype i) {
    const auto byte = [&](qsizetype at) { return at < bytes.size() ? uint8_t(bytes[at]) : 0; };
    const uint8_t lead = byte(i);
    int length;
    uint32_t code;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, code = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, code = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, code = lead & 0x07;
    else
        return 0;
    for (int k = 1; k < length; ++k) {
        const uint8_t next = byte(i + k);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return overlong || surrogate || code > 0x10FFFF ? 0 : length;
}
} // namespace

QString FileNameFromBytes(const QByteArray& bytes) {
    QString name;
    for (qsizetype i = 0; i < bytes.size();) {
        const int length = SequenceLength(bytes, i);
        if (length == 0) {
            name += QChar(char16_t(0xDC00 + uint8_t(bytes[i])));
            ++i;
        } else {
            name += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return name;
}

QByteArray FileNameBytes(const QString& name) {
    QByteArray bytes;
    qsizetype plain = 0; // the start of the run of ordinary text not yet converted
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        const bool pairEnd = i > 0 && QChar::isHighSurrogate(name[i - 1].unicode());
        if (unit >= 0xDC80 && unit <= 0xDCFF && !pairEnd) {
            bytes += name.mid(plain, i - plain).toUtf8();
            bytes += char(unit - 0xDC00);
            plain = i + 1;
        }
    }
    bytes += name.mid(plain).toUtf8();
    return bytes;
}

bool FileNameExists(const QString& name) {
    struct stat status;
    return lstat(FileNameBytes(name).constData(), &status) == 0;
}
