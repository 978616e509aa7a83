#pragma once
// Writes silent AVI clips of 8-bit frames, uncompressed or RLE8-compressed: the build's logo
// clip, and clips for tests.
#include <QImage>
#include <vector>

enum class TAviCompression { Uncompressed, Rle8 };

// Frames are Format_Indexed8 images of one size sharing the first frame's colour table.
std::vector<char> WriteAvi(const std::vector<QImage>& frames, int microsecondsPerFrame,
                           TAviCompression compression);
// The RLE8 encoding of one frame, bottom row first, as a device-independent bitmap stores it.
std::vector<char> EncodeRle8(const QImage& frame);
