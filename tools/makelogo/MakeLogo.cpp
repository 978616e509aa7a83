// The build's maker of the About box's logo clip: makelogo OUT.avi
// Sixteen frames of a small triangulated terrain whose triangles light up one after another.
#include "AviWriter.h"

#include <QPainter>
#include <QPolygon>
#include <cstdio>
#include <fstream>

namespace {
const QList<QRgb> Palette = {qRgb(255, 255, 255), qRgb(0, 0, 0),    qRgb(0, 128, 0),
                             qRgb(0, 0, 255),     qRgb(0, 160, 64), qRgb(96, 200, 96),
                             qRgb(160, 224, 160), qRgb(255, 0, 0)};

QImage Frame(int index, int frames) {
    QImage image(44, 40, QImage::Format_Indexed8);
    image.setColorTable(Palette);
    image.fill(0);
    // A 4 by 3 grid of points, two triangles a cell.
    auto point = [](int i, int j) {
        return QPoint(4 + i * 12 + ((i * 7 + j * 3) % 5) - 2, 36 - j * 11);
    };
    std::vector<QPolygon> triangles;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 3; ++i) {
            triangles.push_back(QPolygon({point(i, j), point(i + 1, j), point(i + 1, j + 1)}));
            triangles.push_back(QPolygon({point(i, j), point(i + 1, j + 1), point(i, j + 1)}));
        }
    QImage canvas(image.size(), QImage::Format_RGB32);
    canvas.fill(Palette[0]);
    QPainter painter(&canvas);
    const int lit = static_cast<int>(triangles.size()) * (index + 1) / frames;
    for (int t = 0; t < static_cast<int>(triangles.size()); ++t) {
        const int shade = t < lit ? 4 + (t + index) % 3 : 0;
        painter.setBrush(QColor(Palette[shade]));
        painter.setPen(QColor(Palette[2]));
        painter.drawPolygon(triangles[static_cast<size_t>(t)]);
    }
    painter.setPen(QColor(Palette[3]));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(QPolygon({point(0, 0), point(3, 0), point(3, 3), point(0, 3)}));
    painter.end();
    return canvas.convertToFormat(QImage::Format_Indexed8, Palette, Qt::ThresholdDither);
}
} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: makelogo OUT.avi\n");
        return 2;
    }
    constexpr int frames = 16;
    std::vector<QImage> clip;
    for (int i = 0; i < frames; ++i)
        clip.push_back(Frame(i, frames));
    const std::vector<char> avi = WriteAvi(clip, 120000, TAviCompression::Rle8);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(avi.data(), static_cast<std::streamsize>(avi.size()));
    return out ? 0 : 1;
}
