#pragma once
// A silent AVI clip read from a file: the frames of its video stream, uncompressed (8 or 24
// bits) or RLE8-compressed, and the time per frame. Damaged clips raise Exception; nothing in a
// clip can make the reader read outside the file or allocate without bound.
#include <QImage>
#include <QString>
#include <vector>

class TAviClip {
public:
    // Reads and decodes every frame.
    static TAviClip FromFile(const QString& fileName);
    static TAviClip FromBytes(const QByteArray& bytes);

    int FrameCount() const { return static_cast<int>(FFrames.size()); }
    const QImage& Frame(int index) const { return FFrames.at(static_cast<size_t>(index)); }
    int MicrosecondsPerFrame() const { return FMicrosecondsPerFrame; }
    QSize Size() const { return FFrames.empty() ? QSize() : FFrames.front().size(); }

private:
    std::vector<QImage> FFrames;
    int FMicrosecondsPerFrame = 100000;
};
