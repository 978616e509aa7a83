#pragma once
// The readers of other programs' surface files, and reading any surface file into a model.
// Each reader fills a TSurfaceData or raises ESurfaceReadError naming the line or byte where
// the file goes wrong; none keeps more than the file's own size in memory.
#include "SurfaceData.h"

#include <functional>
#include <string>

class TStream;
class TTextLines;

enum class TSurfaceFormat { Vrk, LandXml, Ply, Obj, Mesh2dm };

// The format a file's name says (.xml or .landxml, .ply, .obj, .2dm); any other is a model file.
TSurfaceFormat SurfaceFormatOfName(const QString& fileName);

// LandXML 1.2: the surface named surfaceName, or the first when it is empty.
void ReadLandXml(TStream& stream, TSurfaceData& surface, const QString& surfaceName = {});
// The names of a LandXML file's surfaces, in order (empty when it cannot be read).
QStringList LandXmlSurfaceNames(const std::string& path);
// A LandXML file's own coordinate system, as "EPSG:n" (its CoordinateSystem's epsgCode) or its
// ogcWktCode; empty when it names none or cannot be read.
QString LandXmlSystemText(const std::string& path);
void ReadPly(TStream& stream, TSurfaceData& surface);
void ReadObj(TTextLines& lines, TSurfaceData& surface);
void Read2dm(TTextLines& lines, TSurfaceData& surface);

struct TSurfaceReadOptions {
    QString SurfaceName; // LandXML: the surface to take
    std::function<void(int64_t done, int64_t total)> Progress;
};

// Reads a surface file of another program (not a model file) at path, as the system names it.
TSurfaceData ReadOtherSurface(const std::string& path, const TSurfaceReadOptions& options = {});

// Reads the file at path (its bytes, as the system names it) into the model, in the format its
// name says. A model file is read exactly as the model reads its own files.
void ReadSurfaceFile(TVandrelTINModel& model, const std::string& path,
                     const TSurfaceReadOptions& options = {});
