#include "AviWriter.h"

#include <cstring>

namespace {
class TChunkWriter {
public:
    std::vector<char> Bytes;
    template <class T> void Put(T value) {
        const size_t at = Bytes.size();
        Bytes.resize(at + sizeof value);
        std::memcpy(Bytes.data() + at, &value, sizeof value);
    }
    void Id(const char (&id)[5]) { Bytes.insert(Bytes.end(), id, id + 4); }
    // Starts a chunk (or a list, with its type) and returns where its size goes.
    size_t Begin(const char (&id)[5]) {
        Id(id);
        Put<uint32_t>(0);
        return Bytes.size() - 4;
    }
    void End(size_t sizeAt) {
        const uint32_t size = static_cast<uint32_t>(Bytes.size() - sizeAt - 4);
        std::memcpy(Bytes.data() + sizeAt, &size, 4);
        if (Bytes.size() % 2)
            Bytes.push_back(0);
    }
    void Append(const std::vector<char>& data) {
        Bytes.insert(Bytes.end(), data.begin(), data.end());
    }
};

std::vector<char> RawRows(const QImage& frame) {
    const int stride = (frame.width() + 3) & ~3;
    std::vector<char> rows(static_cast<size_t>(stride) * frame.height(), 0);
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(rows.data() + static_cast<size_t>(frame.height() - 1 - y) * stride,
                    frame.constScanLine(y), static_cast<size_t>(frame.width()));
    return rows;
}
} // namespace

std::vector<char> EncodeRle8(const QImage& frame) {
    std::vector<char> out;
    for (int y = frame.height() - 1; y >= 0; --y) {
        const uchar* row = frame.constScanLine(y);
        for (int x = 0; x < frame.width();) {
            int run = 1;
            while (x + run < frame.width() && run < 255 && row[x + run] == row[x])
                ++run;
            out.push_back(static_cast<char>(run));
            out.push_back(static_cast<char>(row[x]));
            x += run;
        }
        out.push_back(0);
        out.push_back(0); // end of line
    }
    out.push_back(0);
    out.push_back(1); // end of bitmap
    return out;
}

std::vector<char> WriteAvi(const std::vector<QImage>& frames, int microsecondsPerFrame,
                           TAviCompression compression) {
    const QImage& first = frames.front();
    const uint32_t width = static_cast<uint32_t>(first.width()),
                   height = static_cast<uint32_t>(first.height());
    const bool rle = compression == TAviCompression::Rle8;
    TChunkWriter w;
    const size_t riff = w.Begin("RIFF");
    w.Id("AVI ");
    const size_t hdrl = w.Begin("LIST");
    w.Id("hdrl");
    const size_t avih = w.Begin("avih");
    for (uint32_t v : {uint32_t(microsecondsPerFrame), 0u, 0u, 0u, uint32_t(frames.size()), 0u, 1u,
                       0u, width, height, 0u, 0u, 0u, 0u})
        w.Put(v);
    w.End(avih);
    const size_t strl = w.Begin("LIST");
    w.Id("strl");
    const size_t strh = w.Begin("strh");
    w.Id("vids");
    w.Id(rle ? "RLE " : "DIB ");
    for (uint32_t v : {0u, 0u, 0u, uint32_t(microsecondsPerFrame), 1000000u, 0u,
                       uint32_t(frames.size()), 0u, 0u, 0u})
        w.Put(v);
    for (int16_t v : {int16_t(0), int16_t(0), int16_t(width), int16_t(height)})
        w.Put(v);
    w.End(strh);
    const size_t strf = w.Begin("strf");
    const QList<QRgb> colours = first.colorTable();
    w.Put<uint32_t>(40);
    w.Put<int32_t>(static_cast<int32_t>(width));
    w.Put<int32_t>(static_cast<int32_t>(height));
    w.Put<uint16_t>(1);
    w.Put<uint16_t>(8);
    w.Put<uint32_t>(rle ? 1 : 0);
    for (uint32_t v : {0u, 0u, 0u, uint32_t(colours.size()), 0u})
        w.Put(v);
    for (QRgb colour : colours)
        w.Put<uint32_t>(colour & 0x00FFFFFF); // blue, green, red, reserved
    w.End(strf);
    w.End(strl);
    w.End(hdrl);
    const size_t movi = w.Begin("LIST");
    w.Id("movi");
    for (const QImage& frame : frames) {
        const size_t chunk = w.Begin("00dc");
        w.Append(rle ? EncodeRle8(frame) : RawRows(frame));
        w.End(chunk);
    }
    w.End(movi);
    w.End(riff);
    return w.Bytes;
}
