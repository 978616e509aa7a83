#pragma once
// The commands of vrkinfo, one file each in commands/: the command line as parsed, and TRun,
// which runs a command and holds what the commands share.
#include "VrkInfo.h"
#include "compare/Boundary.h"
#include "compare/Volumes.h"
#include "export/ModelWriters.h"
#include "gis/CoordinateSystem.h"
#include "gis/VectorFiles.h"
#include "terrain/ElevationGrid.h"
#include "terrain/PlanPoint.h"

#include <QJsonObject>
#include <QJsonValue>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class TTriangleMesh;
class TVandrelTINModel;
class TSurfaceView;
class Exception;

namespace vrkinfo {
using TPoints = std::vector<std::pair<double, double>>;

// Wrong usage, with its reason; reported with exit status 2.
struct TUsageError {
    QString Reason;
};

// The options and the words left when they are taken out.
struct TCommandLine {
    bool Json = false, Help = false, Version = false;
    std::optional<QString> Format, Interval, Base, Level, Surface, Boundary, Polygon, Crs, Cell,
        Output, ZeroLine, Size, ContourInterval, Azimuth, Elevation, Exaggeration, Columns, Class,
        MaxEdge, Name, Index, OtherSurface, Tolerance, Compare, Report, BoundaryWhere, Like;
    bool Colours = false, Hillshade = false, ThreeD = false; // picture's layers and view
    QStringList Breaklines;                                  // build's, as many as given
    QStringList Extent;                                      // raster's XMIN YMIN XMAX YMAX
    QStringList Words;
};

// A number as the commands print it: the shortest text that reads back as the same double.
QString Number(double value);
// JSON has no NaN or infinity: such a number is null.
QJsonValue JsonNumber(double value);
std::optional<double> ParseCoordinate(const QString& word);
// The line through the points, refused when it can have no profile.
std::vector<TPlanPoint> LineThrough(const TPoints& points);
// What went wrong with a file, for "vrkinfo: FILE: TEXT": the system's reason where there is
// one, else the program's message.
QString FileErrorText(const Exception& error);

struct TExtent {
    double MinEasting, MinNorthing, MinValue, MaxEasting, MaxNorthing, MaxValue;
};
TExtent ExtentOf(const TVandrelTINModel& model);
QJsonObject ExtentJson(const TExtent& e);

class TRun {
public:
    TRun(const TCommandLine& line, QTextStream& out, QTextStream& err)
        : FLine(line), FOut(out), FErr(err) {}

    int Command(const QString& command, const QStringList& rest);

private:
    // Writes "vrkinfo: FILE: TEXT" and keeps the text for the JSON; the status of a failure.
    int Failed(const QString& fileName, const QString& text);
    // Failed for a GIS output; a failure of GDAL's own names the .prj file the system came
    // from, which may be what it could not use.
    int GisFailed(const QString& output, const Exception& error);
    // Reads a model; false, with the message written, when it cannot be read.
    // other: the surface compared with (OTHER), whose LandXML surface --other-surface names.
    bool Read(TVandrelTINModel& model, const QString& fileName, bool other = false);
    int Summary(const QStringList& files);
    int Check(const QStringList& files);
    int Header(const QString& file);
    int Extents(const QString& file);
    int Find(const QString& file, const TPoints& points);
    int Convert(const QString& file, const QString& output);
    // The surface of the points of the files, written as convert writes a model.
    int Build(const QStringList& pointFiles, const QString& output);
    // A model file of the surface as the triangulation holds it, metres as the model's units.
    int WriteSurfaceFile(const TSurfaceView& surface, const QString& name, const QString& output);
    // The model format an output's name or --format asks for; a usage error when neither says.
    TModelFormat ModelFormatFor(const QString& output);
    // Writes the model in the format, naming the system where the format can.
    int WriteModelFile(const TVandrelTINModel& model, TModelFormat format, const QString& output,
                       const std::optional<TCoordinateSystem>& system);
    int Contours(const QString& file, const QString& output);
    int Profile(const QString& file, const TPoints& points);
    int Volume(const QString& file, const std::optional<QString>& other);
    int Measure(const QString& file, const TPoints& points);
    int MeasurePolygon(const QString& file);
    int Raster(const QString& file, const QString& output);
    TGridFrame FrameOfOptions(const TTriangleMesh& model) const; // raster's --cell, --extent
    int Picture(const QString& file, const QString& output);
    // The model's coordinate system for what a command writes: --crs, else the .prj file beside
    // the model, else none. A .prj that cannot be read, or whose system cannot hold the model's
    // coordinates, is named in a warning and left out; such a --crs is a usage error.
    std::optional<TCoordinateSystem> SystemFor(const QString& file, const TTriangleMesh& model);
    // RFC 7946 GeoJSON is longitude and latitude; without a system nothing says how: a note.
    void NoteNoSystem(const QString& output, TVectorFormat format,
                      const std::optional<TCoordinateSystem>& system);
    // The vector format an output's name or --format asks for; a usage error naming the formats
    // when neither says.
    TVectorFormat VectorFormatFor(const QString& output);
    // Reads a GeoJSON polygon; false, with the message written, when it cannot be read.
    bool ReadPolygon(TBoundary& boundary, const QString& fileName);
    // The figures as TAB-separated lines, or as one JSON object under the file's name.
    void WriteFigures(const QString& file, const std::vector<TFigure>& figures);
    // Runs one file's work for each file, under its name when there are several; the worst
    // status wins.
    int EachFile(const QStringList& files,
                 const std::function<int(const QString&, QJsonObject&)>& work);
    void WriteJson(const QJsonValue& value);

    const TCommandLine& FLine;
    QTextStream &FOut, &FErr;
    QString FLastError;
    QString FSystemFile; // the .prj file the coordinate system came from, if it did
};
} // namespace vrkinfo
