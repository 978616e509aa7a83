#include "AviClip.h"
#include "platform/Exceptions.h"

#include <QFile>
#include <cstring>
#include <optional>

namespace {
constexpr int MaxSide = 4096;
constexpr int MaxFrames = 10000;
constexpr uint32_t BiRgb = 0, BiRle8 = 1;

[[noreturn]] void Damaged(const char* what) {
    throw Exception(std::string("The animation clip is damaged: ") + what + ".");
}

// A bounded view of bytes.
struct TBytes {
    const char* Data;
    size_t Size;

    template <class T> T Get(size_t at) const {
        if (at > Size || Size - at < sizeof(T))
            Damaged("a field runs past its chunk");
        T value;
        std::memcpy(&value, Data + at, sizeof value);
        return value;
    }
    bool Is(size_t at, const char* id) const {
        return at + 4 <= Size && std::memcmp(Data + at, id, 4) == 0;
    }
    TBytes Sub(size_t at, size_t size) const {
        if (at > Size || Size - at < size)
            Damaged("a chunk runs past its list");
        return {Data + at, size};
    }
};

struct TFormat {
    int Width = 0, Height = 0, BitCount = 0;
    uint32_t Compression = 0;
    QList<QRgb> Palette;
};

struct TParsed {
    std::optional<TFormat> Format;
    std::vector<TBytes> Frames;
    int MicrosecondsPerFrame = 100000;
};

TFormat ReadFormat(TBytes strf) {
    TFormat f;
    const uint32_t headerSize = strf.Get<uint32_t>(0);
    f.Width = strf.Get<int32_t>(4);
    f.Height = std::abs(strf.Get<int32_t>(8));
    f.BitCount = strf.Get<uint16_t>(14);
    f.Compression = strf.Get<uint32_t>(16);
    if (f.Width < 1 || f.Width > MaxSide || f.Height < 1 || f.Height > MaxSide)
        Damaged("the frame size is out of range");
    const bool paletted = f.BitCount == 8 && (f.Compression == BiRgb || f.Compression == BiRle8);
    const bool trueColour = f.BitCount == 24 && f.Compression == BiRgb;
    if (!paletted && !trueColour)
        Damaged("the frames are in a format this program does not play");
    if (paletted) {
        uint32_t colours = strf.Get<uint32_t>(32);
        if (colours == 0 || colours > 256)
            colours = 256;
        for (uint32_t i = 0; i < colours && headerSize + 4 * (i + 1) <= strf.Size; ++i)
            f.Palette.append(0xFF000000u | strf.Get<uint32_t>(headerSize + 4 * i));
        while (f.Palette.size() < 256)
            f.Palette.append(0xFF000000u);
    }
    return f;
}

// Walks the chunks of a list, descending into the lists that matter.
void Walk(TBytes list, TParsed& parsed, int depth) {
    if (depth > 8)
        Damaged("lists are nested too deeply");
    for (size_t at = 0; at + 8 <= list.Size;) {
        const uint32_t size = list.Get<uint32_t>(at + 4);
        const TBytes body = list.Sub(at + 8, size);
        if (list.Is(at, "LIST")) {
            if (body.Size >= 4)
                Walk(body.Sub(4, body.Size - 4), parsed, depth + 1);
        } else if (list.Is(at, "avih")) {
            parsed.MicrosecondsPerFrame =
                static_cast<int>(std::min<uint32_t>(body.Get<uint32_t>(0), 10000000));
        } else if (list.Is(at, "strf") && !parsed.Format) {
            parsed.Format = ReadFormat(body);
        } else if ((list.Data[at + 2] == 'd' &&
                    (list.Data[at + 3] == 'b' || list.Data[at + 3] == 'c')) &&
                   list.Data[at] == '0' && list.Data[at + 1] == '0') {
            if (parsed.Frames.size() >= MaxFrames)
                Damaged("the clip has too many frames");
            parsed.Frames.push_back(body);
        }
        at += 8 + size + (size & 1);
    }
}

// Decodes RLE8 onto the previous frame's pixels: a delta frame leaves skipped pixels as they were.
void DecodeRle8(TBytes data, QImage& image) {
    int x = 0, y = image.height() - 1; // bottom-up
    auto put = [&](uchar index) {
        if (x >= 0 && x < image.width() && y >= 0 && y < image.height())
            image.scanLine(y)[x] = index;
        ++x;
    };
    for (size_t at = 0; at + 1 < data.Size;) {
        const uchar count = static_cast<uchar>(data.Data[at]);
        const uchar value = static_cast<uchar>(data.Data[at + 1]);
        at += 2;
        if (count > 0) {
            for (int i = 0; i < count; ++i)
                put(value);
        } else if (value == 0) {
            x = 0;
            --y;
        } else if (value == 1) {
            return;
        } else if (value == 2) {
            if (at + 1 >= data.Size)
                return;
            x += static_cast<uchar>(data.Data[at]);
            y -= static_cast<uchar>(data.Data[at + 1]);
            at += 2;
        } else {
            for (int i = 0; i < value && at < data.Size; ++i)
                put(static_cast<uchar>(data.Data[at++]));
            at += value & 1; // literal runs keep 16-bit alignment
        }
    }
}

QImage DecodeRaw(TBytes data, const TFormat& f) {
    const int bytesPerPixel = f.BitCount / 8;
    const size_t stride = (static_cast<size_t>(f.Width) * bytesPerPixel + 3) & ~size_t(3);
    if (data.Size < stride * static_cast<size_t>(f.Height))
        Damaged("a frame is shorter than its size");
    QImage image(f.Width, f.Height,
                 f.BitCount == 8 ? QImage::Format_Indexed8 : QImage::Format_RGB32);
    if (f.BitCount == 8)
        image.setColorTable(f.Palette);
    for (int y = 0; y < f.Height; ++y) {
        const char* row = data.Data + stride * static_cast<size_t>(f.Height - 1 - y);
        if (f.BitCount == 8) {
            std::memcpy(image.scanLine(y), row, static_cast<size_t>(f.Width));
            continue;
        }
        auto* pixels = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < f.Width; ++x) {
            const auto* p = reinterpret_cast<const uchar*>(row + 3 * x);
            pixels[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    return image;
}
} // namespace

TAviClip TAviClip::FromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(fileName.toStdString());
    return FromBytes(file.readAll());
}

TAviClip TAviClip::FromBytes(const QByteArray& bytes) {
    const TBytes all{bytes.constData(), static_cast<size_t>(bytes.size())};
    if (!all.Is(0, "RIFF") || !all.Is(8, "AVI "))
        Damaged("it is not an AVI file");
    const uint32_t size = all.Get<uint32_t>(4);
    TParsed parsed;
    Walk(all.Sub(12, std::min<size_t>(size, all.Size - 8) - 4), parsed, 0);
    if (!parsed.Format || parsed.Frames.empty())
        Damaged("it holds no video frames");
    const TFormat& f = *parsed.Format;
    TAviClip clip;
    clip.FMicrosecondsPerFrame = std::max(parsed.MicrosecondsPerFrame, 10000);
    QImage previous(f.Width, f.Height, QImage::Format_Indexed8);
    previous.setColorTable(f.Palette);
    previous.fill(0);
    for (const TBytes& frame : parsed.Frames) {
        if (f.Compression == BiRle8) {
            QImage next = previous.copy();
            DecodeRle8(frame, next);
            previous = next;
            clip.FFrames.push_back(next);
        } else {
            clip.FFrames.push_back(DecodeRaw(frame, f));
        }
    }
    return clip;
}
