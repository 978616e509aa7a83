// Writes the program's icon, drawn from its own picture: makeicon FOLDER writes vrkviewer.svg
// and vrkviewer-N.png for the sizes the desktop's icon theme uses.
#include "support/ToolPictures.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicon FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QSvgGenerator svg;
    svg.setFileName(folder + "/vrkviewer.svg");
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle("VRK Viewer");
    {
        QPainter painter(&svg);
        PaintToolPicture(painter, TToolPicture::Application, QSizeF(32, 32));
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            PaintToolPicture(painter, TToolPicture::Application, QSizeF(size, size));
        }
        if (!image.save(QString("%1/vrkviewer-%2.png").arg(folder).arg(size)))
            return 1;
    }
    return 0;
}
