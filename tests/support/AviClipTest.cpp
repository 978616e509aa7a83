// The logo clip's reader on written clips, on the build's clip and on damaged bytes.
#include "support/AviClip.h"
#include "AviWriter.h"
#include "platform/Exceptions.h"

#include <QFile>
#include <gtest/gtest.h>
#include <random>

namespace {
std::vector<QImage> Frames(int count, QSize size) {
    QList<QRgb> palette;
    for (int i = 0; i < 16; ++i)
        palette.append(qRgb(i * 16, 255 - i * 16, (i * 40) % 256));
    std::vector<QImage> frames;
    std::mt19937 random(1);
    for (int f = 0; f < count; ++f) {
        QImage frame(size, QImage::Format_Indexed8);
        frame.setColorTable(palette);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                frame.setPixel(x, y, (x / 3 + y + f) % 4 == 0 ? random() % 16 : (f + y) % 16);
        frames.push_back(frame);
    }
    return frames;
}

QByteArray Bytes(const std::vector<char>& bytes) {
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

void ExpectSameFrames(const TAviClip& clip, const std::vector<QImage>& frames) {
    ASSERT_EQ(clip.FrameCount(), static_cast<int>(frames.size()));
    for (size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(clip.Frame(static_cast<int>(i)).convertToFormat(QImage::Format_RGB32),
                  frames[i].convertToFormat(QImage::Format_RGB32))
            << i;
}
} // namespace

TEST(AviClipTest, UncompressedAndRle8FramesReadBackExactly) {
    const auto frames = Frames(5, QSize(13, 7)); // odd width: padded rows and literal runs
    for (TAviCompression compression : {TAviCompression::Uncompressed, TAviCompression::Rle8}) {
        const TAviClip clip = TAviClip::FromBytes(Bytes(WriteAvi(frames, 50000, compression)));
        EXPECT_EQ(clip.MicrosecondsPerFrame(), 50000);
        ExpectSameFrames(clip, frames);
    }
}

TEST(AviClipTest, TheBuildsLogoClipPlays) {
    const TAviClip clip = TAviClip::FromFile(VRK_LOGO_CLIP);
    EXPECT_GE(clip.FrameCount(), 15);
    EXPECT_LE(clip.Size().width(), 46);
}

TEST(AviClipTest, DamagedClipsRaiseAndNeverCrash) {
    const std::vector<char> good = WriteAvi(Frames(3, QSize(9, 5)), 40000, TAviCompression::Rle8);
    EXPECT_THROW(TAviClip::FromBytes("RIFF"), Exception);
    EXPECT_THROW(TAviClip::FromBytes(QByteArray(100, 'x')), Exception);
    for (size_t cut = 0; cut < good.size(); ++cut) {
        try {
            TAviClip::FromBytes(QByteArray(good.data(), static_cast<qsizetype>(cut)));
        } catch (const Exception&) {
        }
    }
    std::mt19937 random(9);
    for (int round = 0; round < 2000; ++round) {
        std::vector<char> bytes = good;
        for (int i = 0; i < 4; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        try {
            const TAviClip clip = TAviClip::FromBytes(Bytes(bytes));
            EXPECT_GT(clip.FrameCount(), 0);
        } catch (const Exception&) {
        }
    }
}
