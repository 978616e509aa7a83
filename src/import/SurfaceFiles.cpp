#include "SurfaceReaders.h"
#include "TextLines.h"
#include "platform/Streams.h"
#include "vrk/VRKModel.h"

#include <QFileInfo>

TSurfaceFormat SurfaceFormatOfName(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "xml" || suffix == "landxml")
        return TSurfaceFormat::LandXml;
    if (suffix == "ply")
        return TSurfaceFormat::Ply;
    if (suffix == "obj")
        return TSurfaceFormat::Obj;
    if (suffix == "2dm")
        return TSurfaceFormat::Mesh2dm;
    return TSurfaceFormat::Vrk;
}

namespace {
QString NameOfPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}
} // namespace

TSurfaceData ReadOtherSurface(const std::string& path, const TSurfaceReadOptions& options) {
    const QString name = NameOfPath(path);
    const TSurfaceFormat format = SurfaceFormatOfName(name);
    TFileStream stream(path);
    TSurfaceData surface;
    switch (format) {
    case TSurfaceFormat::LandXml:
        ReadLandXml(stream, surface, options.SurfaceName);
        break;
    case TSurfaceFormat::Ply:
        ReadPly(stream, surface);
        break;
    default: {
        TTextLines lines(stream, options.Progress);
        if (format == TSurfaceFormat::Obj)
            ReadObj(lines, surface);
        else
            Read2dm(lines, surface);
    }
    }
    if (surface.Name.isEmpty())
        surface.Name = QFileInfo(name).completeBaseName();
    return surface;
}

void ReadSurfaceFile(TVandrelTINModel& model, const std::string& path,
                     const TSurfaceReadOptions& options) {
    if (SurfaceFormatOfName(NameOfPath(path)) != TSurfaceFormat::Vrk)
        return BuildModel(model, ReadOtherSurface(path, options));
    TFileStream stream(path);
    model.ReadFromStream(stream);
}
