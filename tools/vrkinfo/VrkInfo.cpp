#include "VrkInfo.h"
#include "app/ModelPicture.h"
#include "app/PictureExport.h"
#include "build/SurfaceBuild.h"
#include "build/SurveyPoints.h"
#include "compare/Difference.h"
#include "compare/Measure.h"
#include "compare/Volumes.h"
#include "export/ContourGeoJson.h"
#include "export/ModelWriters.h"
#include "export/ProfileCsv.h"
#include "export/SavedFile.h"
#include "gis/CoordinateSystem.h"
#include "gis/GdalFiles.h"
#include "gis/RasterFiles.h"
#include "gis/VectorFiles.h"
#include "import/BoundaryGeoJson.h"
#include "import/SurfaceData.h"
#include "import/SurfaceReaders.h"
#include "inspect/HeaderRows.h"
#include "inspect/HealthCheck.h"
#include "inspect/HealthCheckRows.h"
#include "model/Geometry.h"
#include "platform/Exceptions.h"
#include "platform/FileNames.h"
#include "platform/Memory.h"
#include "platform/NumberText.h"
#include "platform/Streams.h"
#include "terrain/Contours.h"
#include "terrain/Profile.h"
#include "vrk/VRKModel.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <set>

namespace {
const char Usage[] =
    "usage: vrkinfo [--json] FILE...\n"
    "       vrkinfo [--json] header FILE\n"
    "       vrkinfo [--json] extents FILE\n"
    "       vrkinfo [--json] find FILE E N [E N ...]\n"
    "       vrkinfo [--json] check FILE...\n"
    "       vrkinfo convert [--format FORMAT] FILE OUT\n"
    "       vrkinfo build [--breaklines FILE]... [--boundary FILE] [--columns LETTERS]\n"
    "               [--class C[,C...]] [--max-edge L] [--crs SYSTEM] [--name NAME] POINTS... OUT\n"
    "       vrkinfo contours [--format FORMAT] [--crs SYSTEM] FILE --interval I [--base B] OUT\n"
    "       vrkinfo profile FILE E1 N1 E2 N2 [E N ...] [--output OUT [--crs SYSTEM]]\n"
    "       vrkinfo raster [--crs SYSTEM] FILE --cell SIZE OUT.tif\n"
    "       vrkinfo [--json] volume FILE (OTHER | --level Z) [--boundary POLYGON]\n"
    "               [--zero-line OUT [--crs SYSTEM]]\n"
    "       vrkinfo [--json] measure FILE E1 N1 E2 N2 [E N ...]\n"
    "       vrkinfo [--json] measure FILE --polygon POLYGON\n"
    "       vrkinfo picture FILE OUT [--size WxH] [--colours] [--hillshade] [--contours I]\n"
    "               [--3d [--azimuth A] [--elevation E] [--exaggeration X]]\n"
    "       vrkinfo --help | --version\n";

const char Help[] =
    "Facts about VRK terrain model files, and the model in other formats.\n"
    "\n"
    "  FILE...           a short summary of each file: name, counts, extents, health\n"
    "  header FILE       the 29 header fields: field name, TAB, value text\n"
    "  extents FILE      min easting, min northing, min value, max easting, max northing,\n"
    "                    max value, TAB-separated\n"
    "  find FILE E N...  per point: triangle number, TAB, interpolated value (\"null\" for no\n"
    "                    value), or \"none\" when no triangle holds it\n"
    "  check FILE...     per problem: entity, TAB, problem; then \"N problems found\"\n"
    "  convert FILE OUT  the model as LandXML 1.2 (.xml), binary PLY (.ply), Wavefront OBJ\n"
    "                    (.obj), 2DM (.2dm) or a model file (.vrk), by OUT's extension or\n"
    "                    --format\n"
    "  build POINTS... OUT\n"
    "                    the exact constrained Delaunay triangulation of survey points (text,\n"
    "                    LAS 1.0 to 1.4, GIS point layers, PLY or OBJ vertices), breaklines\n"
    "                    and a boundary (GeoJSON, GeoPackage, Shapefile, DXF), or over the\n"
    "                    points' convex hull, written as convert writes\n"
    "  contours FILE --interval I [--base B] OUT\n"
    "                    the contours base + k * interval with their level and index, as\n"
    "                    GeoPackage (.gpkg), Shapefile (.shp), DXF (.dxf, 3D polylines) or\n"
    "                    GeoJSON (.geojson), by OUT's extension or --format\n"
    "  profile FILE E1 N1 E2 N2...\n"
    "                    the exact profile along the line as CSV: distance, easting,\n"
    "                    northing, elevation, triangle\n"
    "  raster FILE --cell SIZE OUT.tif\n"
    "                    a Float32 GeoTIFF grid of cells of that size, each the surface's value\n"
    "                    at its centre, no data off the model\n"
    "  volume FILE (OTHER | --level Z)\n"
    "                    cut, fill and net volume between the model and the other surface\n"
    "                    or the level, and the plan areas of cut, of fill and in all, where\n"
    "                    both are: name, TAB, number\n"
    "  measure FILE E1 N1 E2 N2...\n"
    "                    the line's length in plan and along the surface: name, TAB, number\n"
    "  measure FILE --polygon POLYGON\n"
    "                    the polygon's plan area and the area of the surface inside it\n"
    "  picture FILE OUT  the whole model as the viewer draws it: the plan (PNG, SVG or PDF by\n"
    "                    OUT's extension) or with --3d the 3D view (PNG; it needs OpenGL 3.3\n"
    "                    on a display, a virtual one such as xvfb-run will do)\n"
    "\n"
    "Options:\n"
    "  --json            one JSON document on standard output instead of the text\n"
    "  --format FORMAT   landxml, ply, obj, 2dm or vrk for convert; gpkg, shp, dxf or geojson\n"
    "                    for contours and profile --output\n"
    "  --crs SYSTEM      the model's coordinate system for what is written (EPSG:32616,\n"
    "                    WKT or a PROJ string); default: FILE's .prj file, if there is one\n"
    "  --cell SIZE       the raster's cell size, in the model's units\n"
    "  --output OUT      profile: the line on the ground as a vector file instead of CSV\n"
    "  --zero-line OUT   volume with OTHER: where the surfaces meet, as a vector file\n"
    "  --interval I      the contour interval, greater than 0\n"
    "  --base B          the level one contour passes through (default 0)\n"
    "  --level Z         the level a volume is measured against\n"
    "  --boundary POLYGON\n"
    "                    volume: only inside the first polygon of this GeoJSON file; build:\n"
    "                    the site's outline, holes included (GeoJSON, GeoPackage, Shapefile,\n"
    "                    DXF)\n"
    "  --polygon POLYGON the GeoJSON file whose first polygon measure measures\n"
    "  --surface NAME    the LandXML surface to read (default: the first)\n"
    "  --size WxH        picture: its width and height in pixels, each 1 to 16384 (default\n"
    "                    1000x800); the largest take about a minute and 2 GB of memory\n"
    "  --colours         picture: the elevation colours\n"
    "  --hillshade       picture: the hillshade\n"
    "  --contours I      picture: contours every I, through 0\n"
    "  --3d              picture: the 3D view instead of the plan\n"
    "  --azimuth A       picture --3d: the eye's direction from the model, degrees clockwise\n"
    "                    from north (default 200)\n"
    "  --elevation E     picture --3d: the eye's height above the horizon, degrees (default 35)\n"
    "  --exaggeration X  picture: the vertical exaggeration, for the hillshade and the 3D view\n"
    "  --breaklines FILE build: lines whose sides become triangle sides (again for more)\n"
    "  --columns LETTERS build: the text points' columns, from P N E Z D (PNEZD, PENZD...)\n"
    "  --class C[,C...]  build: only the LAS points of these classes (2 is the ground)\n"
    "  --max-edge L      build: outline triangles with a side longer than L go, from the\n"
    "                    outline inward\n"
    "  --name NAME       build: the model's name (default: OUT's name)\n"
    "  -h, --help        this text\n"
    "  --version         the program's name and version\n"
    "\n"
    "FILE and OTHER are VRK models, or LandXML (.xml), PLY, OBJ or 2DM surfaces.\n"
    "Numbers are written with a full stop: 17 significant digits in text, exactly in JSON\n"
    "and in the converted files. With several files each result comes under a line\n"
    "\"==> FILE <==\".\n"
    "\n"
    "Exit status: 0 done (check: no problem found), 1 a file could not be read or\n"
    "written (the reason on standard error), 2 wrong usage, 3 check found problems.\n"
    "With several files: 1 if any could not be read, else 3 if any has problems, else 0.\n";

QString Number(double value) {
    return FormatGeneral(value, 17, u'.');
}

// JSON has no NaN or infinity: such a number is null.
QJsonValue JsonNumber(double value) {
    return std::isfinite(value) ? QJsonValue(value) : QJsonValue();
}

void ReadModel(TVandrelTINModel& model, const QString& fileName, const QString& surfaceName) {
    ReadSurfaceFile(model, FileNameBytes(fileName).toStdString(), {surfaceName, {}});
}

struct TExtent {
    double MinEasting, MinNorthing, MinValue, MaxEasting, MaxNorthing, MaxValue;
};

TExtent ExtentOf(const TVandrelTINModel& model) {
    TExtent e{};
    model.Vertices().GetExtent(e.MinEasting, e.MinNorthing, e.MinValue, e.MaxEasting, e.MaxNorthing,
                               e.MaxValue);
    return e;
}

QJsonObject ExtentJson(const TExtent& e) {
    return {{"minEasting", JsonNumber(e.MinEasting)},   {"minNorthing", JsonNumber(e.MinNorthing)},
            {"minValue", JsonNumber(e.MinValue)},       {"maxEasting", JsonNumber(e.MaxEasting)},
            {"maxNorthing", JsonNumber(e.MaxNorthing)}, {"maxValue", JsonNumber(e.MaxValue)}};
}

using TPoints = std::vector<std::pair<double, double>>;

// Wrong usage, with its reason; reported with exit status 2.
struct TUsageError {
    QString Reason;
};

std::optional<double> ParseCoordinate(const QString& word) {
    bool ok = false;
    const double value = word.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

TPoints ParsePoints(const QStringList& words, int atLeast) {
    if (words.size() < 2 * atLeast)
        throw TUsageError{atLeast == 1 ? "find needs at least one point"
                                       : "profile needs at least two points"};
    if (words.size() % 2 != 0)
        throw TUsageError{"an easting needs its northing"};
    TPoints points;
    for (qsizetype i = 0; i < words.size(); i += 2) {
        const auto easting = ParseCoordinate(words[i]);
        const auto northing = ParseCoordinate(words[i + 1]);
        if (!easting || !northing)
            throw TUsageError{QString("not a number: '%1'").arg(easting ? words[i + 1] : words[i])};
        points.emplace_back(*easting, *northing);
    }
    return points;
}

// The options and the words left when they are taken out.
struct TCommandLine {
    bool Json = false, Help = false, Version = false;
    std::optional<QString> Format, Interval, Base, Level, Surface, Boundary, Polygon, Crs, Cell,
        Output, ZeroLine, Size, ContourInterval, Azimuth, Elevation, Exaggeration, Columns, Class,
        MaxEdge, Name;
    bool Colours = false, Hillshade = false, ThreeD = false; // picture's layers and view
    QStringList Breaklines;                                  // build's, as many as given
    QStringList Words;
};

// The options that take a value, and whether they belong to a command (the others also go
// with a summary).
struct TValuedOption {
    const char* Name;
    std::optional<QString> TCommandLine::*Value;
    bool ForCommands;
};
constexpr TValuedOption ValuedOptions[] = {{"--format", &TCommandLine::Format, true},
                                           {"--interval", &TCommandLine::Interval, true},
                                           {"--base", &TCommandLine::Base, true},
                                           {"--level", &TCommandLine::Level, true},
                                           {"--surface", &TCommandLine::Surface, false},
                                           {"--boundary", &TCommandLine::Boundary, true},
                                           {"--polygon", &TCommandLine::Polygon, true},
                                           {"--crs", &TCommandLine::Crs, true},
                                           {"--cell", &TCommandLine::Cell, true},
                                           {"--output", &TCommandLine::Output, true},
                                           {"--zero-line", &TCommandLine::ZeroLine, true},
                                           {"--size", &TCommandLine::Size, true},
                                           {"--contours", &TCommandLine::ContourInterval, true},
                                           {"--azimuth", &TCommandLine::Azimuth, true},
                                           {"--elevation", &TCommandLine::Elevation, true},
                                           {"--exaggeration", &TCommandLine::Exaggeration, true},
                                           {"--columns", &TCommandLine::Columns, true},
                                           {"--class", &TCommandLine::Class, true},
                                           {"--max-edge", &TCommandLine::MaxEdge, true},
                                           {"--name", &TCommandLine::Name, true}};

bool HasCommandOption(const TCommandLine& line) {
    return line.Colours || line.Hillshade || line.ThreeD || !line.Breaklines.isEmpty() ||
           std::any_of(std::begin(ValuedOptions), std::end(ValuedOptions),
                       [&](const TValuedOption& o) { return o.ForCommands && line.*o.Value; });
}

TCommandLine ParseOptions(const QStringList& arguments) {
    TCommandLine line;
    bool optionsEnd = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (optionsEnd || !(a.startsWith("--") || a == "-h")) {
            line.Words << a;
            continue;
        }
        const auto valued = std::find_if(std::begin(ValuedOptions), std::end(ValuedOptions),
                                         [&](const TValuedOption& o) { return a == o.Name; });
        if (valued != std::end(ValuedOptions)) {
            if (i + 1 >= arguments.size())
                throw TUsageError{QString("option '%1' needs a value").arg(a)};
            line.*valued->Value = arguments[++i];
        } else if (a == "--breaklines") {
            if (i + 1 >= arguments.size())
                throw TUsageError{QString("option '%1' needs a value").arg(a)};
            line.Breaklines << arguments[++i];
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--json") {
            line.Json = true;
        } else if (a == "--colours") {
            line.Colours = true;
        } else if (a == "--hillshade") {
            line.Hillshade = true;
        } else if (a == "--3d") {
            line.ThreeD = true;
        } else if (a == "-h" || a == "--help") {
            line.Help = true;
        } else if (a == "--version") {
            line.Version = true;
        } else {
            throw TUsageError{QString("unknown option '%1'").arg(a)};
        }
    }
    return line;
}

// Only counts.
class TCountedReport : public THealthReport {
public:
    void AddProblem(const QString&, const QString&, TTriangle*) override {}
};

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
    bool Read(TVandrelTINModel& model, const QString& fileName);
    int Summary(const QStringList& files);
    int Check(const QStringList& files);
    int Header(const QString& file);
    int Extents(const QString& file);
    int Find(const QString& file, const TPoints& points);
    int Convert(const QString& file, const QString& output);
    // The surface of the points of the files, written as convert writes a model.
    int Build(const QStringList& pointFiles, const QString& output);
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

// What went wrong with a file, for "vrkinfo: FILE: TEXT": the system's reason where there is
// one, else the program's message.
QString FileErrorText(const Exception& error) {
    std::string reason;
    if (const auto* open = dynamic_cast<const EFOpenError*>(&error))
        reason = open->Reason();
    else if (const auto* write = dynamic_cast<const EFWriteError*>(&error))
        reason = write->Reason();
    return QString::fromStdString(reason.empty() ? error.Message() : reason);
}

int TRun::GisFailed(const QString& output, const Exception& error) {
    QString text = FileErrorText(error);
    if (dynamic_cast<const EGdalWriteError*>(&error) && !FSystemFile.isEmpty())
        text += " (with the coordinate system of " + FSystemFile + ")";
    return Failed(output, text);
}

int TRun::Failed(const QString& fileName, const QString& text) {
    FLastError = text;
    FErr << "vrkinfo: " << fileName << ": " << text << '\n';
    return ExitUnreadable;
}

bool TRun::Read(TVandrelTINModel& model, const QString& fileName) {
    try {
        ReadModel(model, fileName, FLine.Surface.value_or(QString()));
        return true;
    } catch (const Exception& error) {
        Failed(fileName, FileErrorText(error));
    } catch (const std::bad_alloc&) {
        Failed(fileName, "Out of memory");
    }
    return false;
}

void TRun::WriteJson(const QJsonValue& value) {
    const QJsonDocument document =
        value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    FOut << QString::fromUtf8(document.toJson(QJsonDocument::Indented));
}

int Worst(int a, int b) {
    auto rank = [](int status) {
        return status == ExitUnreadable ? 2 : status == ExitProblemsFound ? 1 : 0;
    };
    return rank(b) > rank(a) ? b : a;
}

int TRun::EachFile(const QStringList& files,
                   const std::function<int(const QString&, QJsonObject&)>& work) {
    int status = ExitDone;
    QJsonArray results;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (files.size() > 1 && !FLine.Json)
            FOut << (i > 0 ? "\n" : "") << "==> " << files[i] << " <==\n";
        FOut.flush();
        QJsonObject result{{"file", files[i]}};
        const int one = work(files[i], result);
        if (one == ExitUnreadable)
            result["error"] = FLastError;
        results.append(result);
        status = Worst(status, one);
    }
    if (FLine.Json)
        WriteJson(files.size() == 1 ? QJsonValue(results[0]) : QJsonValue(results));
    return status;
}

int TRun::Summary(const QStringList& files) {
    return EachFile(files, [&](const QString& file, QJsonObject& json) {
        TVandrelTINModel model;
        if (!Read(model, file))
            return int(ExitUnreadable);
        TCountedReport counted;
        const int problems = CheckModel(model, counted);
        if (FLine.Json) {
            json["model"] = model.InternalName;
            json["vertices"] = model.Vertices().Count();
            json["triangles"] = model.Triangles().Count();
            json["edgeRecords"] = model.Edges.Count();
            json["startPoints"] = model.StartPoints.Count();
            if (model.Vertices().Count() > 0)
                json["extents"] = ExtentJson(ExtentOf(model));
            json["problems"] = problems;
            return int(ExitDone);
        }
        FOut << "File: " << file << '\n';
        FOut << "Model: " << model.InternalName << '\n';
        FOut << "Vertices: " << model.Vertices().Count() << '\n';
        FOut << "Triangles: " << model.Triangles().Count() << '\n';
        FOut << "Edge records: " << model.Edges.Count() << '\n';
        FOut << "Start points: " << model.StartPoints.Count() << '\n';
        if (model.Vertices().Count() > 0) {
            const TExtent e = ExtentOf(model);
            FOut << "Easting: " << Number(e.MinEasting) << " to " << Number(e.MaxEasting) << '\n';
            FOut << "Northing: " << Number(e.MinNorthing) << " to " << Number(e.MaxNorthing)
                 << '\n';
            FOut << "Value: " << Number(e.MinValue) << " to " << Number(e.MaxValue) << '\n';
        }
        FOut << "Health check: " << ProblemSummary(problems) << '\n';
        return int(ExitDone);
    });
}

int TRun::Check(const QStringList& files) {
    return EachFile(files, [&](const QString& file, QJsonObject& json) {
        TVandrelTINModel model;
        if (!Read(model, file))
            return int(ExitUnreadable);
        THealthCheckRows report; // the problems kept compactly for the text or the JSON
        const int problems = CheckModel(model, report);
        if (FLine.Json) {
            QJsonArray rows;
            for (int row = 1; row <= report.ProblemCount(); ++row)
                rows.append(
                    QJsonObject{{"entity", report.Cell(0, row)}, {"problem", report.Cell(1, row)}});
            json["problems"] = rows;
            json["count"] = problems;
            json["summary"] = ProblemSummary(problems);
        } else {
            for (int row = 1; row <= report.ProblemCount(); ++row)
                FOut << report.Cell(0, row) << '\t' << report.Cell(1, row) << '\n';
            FOut << ProblemSummary(problems) << '\n';
        }
        return problems == 0 ? int(ExitDone) : int(ExitProblemsFound);
    });
}

int TRun::Header(const QString& file) {
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const std::vector<THeaderRow> rows = HeaderRows(model.Header, u'.');
    if (!FLine.Json) {
        for (const THeaderRow& row : rows)
            FOut << row.Field << '\t' << row.Value << '\n';
        return ExitDone;
    }
    QJsonArray list;
    QJsonObject fields;
    for (const THeaderRow& row : rows) {
        list.append(QJsonObject{{"name", row.Field}, {"value", row.Value}});
        fields[row.Field] = row.Raw.typeId() == QMetaType::Double
                                ? JsonNumber(row.Raw.toDouble())
                                : QJsonValue::fromVariant(row.Raw);
    }
    WriteJson(QJsonObject{{"file", file}, {"rows", list}, {"fields", fields}});
    return ExitDone;
}

int TRun::Extents(const QString& file) {
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const TExtent e = ExtentOf(model);
    if (FLine.Json) {
        WriteJson(QJsonObject{{"file", file}, {"extents", ExtentJson(e)}});
        return ExitDone;
    }
    FOut << QStringList{Number(e.MinEasting), Number(e.MinNorthing), Number(e.MinValue),
                        Number(e.MaxEasting), Number(e.MaxNorthing), Number(e.MaxValue)}
                .join('\t')
         << '\n';
    return ExitDone;
}

int TRun::Find(const QString& file, const TPoints& points) {
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    QJsonArray found;
    const std::vector<TTriangleMesh::TFound> triangles = model.FindTriangles(points);
    for (size_t p = 0; p < points.size(); ++p) {
        const auto& [easting, northing] = points[p];
        const TTriangle* triangle = triangles[p].Triangle;
        const double value = triangles[p].Value;
        if (FLine.Json) {
            const bool known = triangle && value != NullValue;
            found.append(
                QJsonObject{{"easting", easting},
                            {"northing", northing},
                            {"triangle", triangle ? QJsonValue(triangle->Number) : QJsonValue()},
                            {"value", known ? JsonNumber(value) : QJsonValue()}});
        } else if (!triangle) {
            FOut << "none\n";
        } else {
            FOut << triangle->Number << '\t'
                 << (value == NullValue ? QString("null") : Number(value)) << '\n';
        }
    }
    if (FLine.Json)
        WriteJson(QJsonObject{{"file", file}, {"points", found}});
    return ExitDone;
}

TModelFormat TRun::ModelFormatFor(const QString& output) {
    TModelFormat format;
    if (FLine.Format ? !ModelFormatFromName(*FLine.Format, format)
                     : !ModelFormatFromExtension(output, format))
        throw TUsageError{FLine.Format ? QString("unknown format '%1'").arg(*FLine.Format)
                                       : QString("cannot tell the format from '%1': name it with "
                                                 "--format")
                                             .arg(output)};
    return format;
}

int TRun::Convert(const QString& file, const QString& output) {
    const TModelFormat format = ModelFormatFor(output);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    return WriteModelFile(model, format, output, SystemFor(file, model));
}

int TRun::WriteModelFile(const TVandrelTINModel& model, TModelFormat format, const QString& output,
                         const std::optional<TCoordinateSystem>& system) {
    const std::optional<TSystemName> named = SystemNameOf(system);
    try {
        SaveFile(output, [&](QIODevice& out) {
            WriteModel(model, format, out, named ? &*named : nullptr);
        });
    } catch (const Exception& error) {
        return Failed(output, FileErrorText(error));
    }
    return ExitDone;
}

namespace {
// The options of build, checked before any file is read.
TTriangulationOptions BuildOptions(const TCommandLine& line, std::set<int>& classes) {
    if (line.Columns && !ColumnLettersValid(*line.Columns))
        throw TUsageError{QString("--columns needs the letters of the columns, one each of N, E "
                                  "and Z, P and D as they come (such as PNEZD or PENZD): '%1'")
                              .arg(*line.Columns)};
    if (line.Class && !ClassesFromText(*line.Class, classes))
        throw TUsageError{
            QString("--class needs classes 0 to 255, with commas: '%1'").arg(*line.Class)};
    TTriangulationOptions options;
    if (line.MaxEdge) {
        const auto length = ParseCoordinate(*line.MaxEdge);
        if (!length || !(*length > 0))
            throw TUsageError{
                QString("--max-edge needs a length greater than 0: '%1'").arg(*line.MaxEdge)};
        options.MaxEdge = *length;
    }
    return options;
}
} // namespace

int TRun::Build(const QStringList& pointFiles, const QString& output) {
    const TModelFormat format = ModelFormatFor(output);
    std::optional<TCoordinateSystem> system; // checked before the files are read
    if (FLine.Crs) {
        QString problem;
        system = TCoordinateSystem::FromText(*FLine.Crs, problem);
        if (!system)
            throw TUsageError{problem};
    }
    TSurveyFiles files;
    const TTriangulationOptions options = BuildOptions(FLine, files.Classes);
    files.Points = pointFiles;
    files.Breaklines = FLine.Breaklines;
    files.Boundary = FLine.Boundary.value_or(QString());
    files.Columns = FLine.Columns.value_or(QString());
    TTriangulationReport report;
    TVandrelTINModel model;
    try {
        TSurfaceData surface = BuildSurface(files, options, report);
        surface.Name = FLine.Name.value_or(QFileInfo(output).completeBaseName());
        BuildModel(model, std::move(surface));
    } catch (const EColumnsNeeded& error) {
        throw TUsageError{QString::fromStdString(error.Message())};
    } catch (const ESurfaceReadError& error) { // it names the file
        FErr << "vrkinfo: " << FileNameFromBytes(QByteArray::fromStdString(error.Message()))
             << '\n';
        return ExitUnreadable;
    }
    if (report.Repeated > 0)
        FErr << "vrkinfo: " << report.Repeated
             << " points at the place of an earlier one left out (" << report.RepeatedOtherValue
             << " of them with another elevation)\n";
    return WriteModelFile(model, format, output, system);
}

std::optional<TCoordinateSystem> TRun::SystemFor(const QString& file, const TTriangleMesh& model) {
    QString problem;
    double minE, minN, maxE, maxN;
    model.Vertices().GetFiniteExtent(minE, minN, maxE, maxN);
    const auto range = [&](const TCoordinateSystem& system) {
        return minE <= maxE ? system.RangeProblem(minE, minN, maxE, maxN) : QString();
    };
    if (FLine.Crs) {
        auto system = TCoordinateSystem::FromText(*FLine.Crs, problem);
        if (!system)
            throw TUsageError{problem};
        if (const QString outside = range(*system); !outside.isEmpty())
            throw TUsageError{"--crs " + *FLine.Crs + ": " + outside};
        return system;
    }
    auto system = TCoordinateSystem::BesideModel(file, problem);
    if (system && problem.isEmpty())
        if (const QString outside = range(*system); !outside.isEmpty()) {
            problem = PrjPathBeside(file) + ": " + outside;
            system.reset();
        }
    if (!problem.isEmpty())
        FErr << "vrkinfo: " << problem << " (written without a coordinate system)\n";
    FSystemFile = system ? PrjPathBeside(file) : QString();
    return system;
}

void TRun::NoteNoSystem(const QString& output, TVectorFormat format,
                        const std::optional<TCoordinateSystem>& system) {
    if (format == TVectorFormat::GeoJson && !system)
        FErr << "vrkinfo: " << output
             << ": no coordinate system: the coordinates are written as they are, not as "
                "longitude and latitude\n";
}

TVectorFormat TRun::VectorFormatFor(const QString& output) {
    TVectorFormat format = TVectorFormat::GeoJson;
    const bool named = FLine.Format ? VectorFormatFromName(*FLine.Format, format)
                                    : QFileInfo(output).suffix().isEmpty() ||
                                          VectorFormatFromExtension(output, format);
    if (!named)
        throw TUsageError{
            FLine.Format ? QString("unknown format '%1': %2").arg(*FLine.Format, VectorFormatNames)
                         : QString("cannot tell the format from '%1': the formats are %2 (name one "
                                   "with --format)")
                               .arg(output, VectorFormatNames)};
    return format;
}

int TRun::Contours(const QString& file, const QString& output) {
    if (!FLine.Interval)
        throw TUsageError{"contours needs --interval"};
    const TVectorFormat format = VectorFormatFor(output);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    // The levels are counted over the finite elevations: a point at infinity has no contour.
    const auto [low, high] = FiniteValueRange(model.Vertices());
    const auto settings =
        ContourSettingsFromText(*FLine.Interval, FLine.Base.value_or("0"), 0, false, low, high);
    if (const QString* problem = std::get_if<QString>(&settings))
        throw TUsageError{*problem};
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    try {
        const auto lines = TraceContours(model.Triangles(), std::get<TContourSettings>(settings));
        if (format == TVectorFormat::GeoJson && !system) {
            NoteNoSystem(output, format, system);
            SaveFile(output, [&](QIODevice& out) { WriteContoursGeoJson(lines, out, true); });
        } else {
            WriteVectorLines(output, format, "contours", ContourVectorLines(lines), true,
                             system ? &*system : nullptr, model.Header.CoordinateUnits);
        }
    } catch (const Exception& error) {
        return GisFailed(output, error);
    }
    return ExitDone;
}

// The line through the points, refused when it can have no profile.
std::vector<TPlanPoint> LineThrough(const TPoints& points) {
    std::vector<TPlanPoint> line;
    for (const auto& [e, n] : points)
        line.push_back({e, n});
    if (const QString problem = ProfileLineProblem(line); !problem.isEmpty())
        throw TUsageError{problem};
    return line;
}

int TRun::Profile(const QString& file, const TPoints& points) {
    const std::vector<TPlanPoint> line = LineThrough(points);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const std::vector<TProfilePoint> profile = ComputeProfile(model, line);
    if (FLine.Output) { // the line on the ground, as 3D lines where it is on the model
        const TVectorFormat format = VectorFormatFor(*FLine.Output);
        const std::optional<TCoordinateSystem> system = SystemFor(file, model);
        NoteNoSystem(*FLine.Output, format, system);
        try {
            WriteVectorLines(*FLine.Output, format, "profile", ProfileVectorLines(profile), false,
                             system ? &*system : nullptr, model.Header.CoordinateUnits);
        } catch (const Exception& error) {
            return GisFailed(*FLine.Output, error);
        }
        return ExitDone;
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteProfileCsv(profile, buffer);
    FOut << QString::fromLatin1(buffer.data());
    return ExitDone;
}

void TRun::WriteFigures(const QString& file, const std::vector<TFigure>& figures) {
    if (!FLine.Json) {
        for (const TFigure& figure : figures)
            FOut << figure.Name << '\t' << Number(figure.Value) << '\n';
        return;
    }
    QJsonObject json{{"file", file}};
    for (const TFigure& figure : figures)
        json[figure.Key] = JsonNumber(figure.Value);
    WriteJson(json);
}

bool TRun::ReadPolygon(TBoundary& boundary, const QString& fileName) {
    try {
        boundary = ReadBoundaryGeoJson(FileNameBytes(fileName).toStdString());
        return true;
    } catch (const Exception& error) {
        Failed(fileName, FileErrorText(error));
    }
    return false;
}

int TRun::Volume(const QString& file, const std::optional<QString>& other) {
    if (FLine.Level.has_value() == other.has_value())
        throw TUsageError{other ? "volume takes OTHER or --level Z, not both"
                                : "volume needs OTHER or --level Z"};
    std::optional<double> level;
    if (FLine.Level && !(level = ParseCoordinate(*FLine.Level)))
        throw TUsageError{QString("not a number: '%1'").arg(*FLine.Level)};
    if (FLine.ZeroLine && !other)
        throw TUsageError{"--zero-line needs OTHER: a level meets the model where its contour is"};
    const TVectorFormat zeroLineFormat =
        FLine.ZeroLine ? VectorFormatFor(*FLine.ZeroLine) : TVectorFormat::GeoJson;
    TBoundary boundary;
    if (FLine.Boundary && !ReadPolygon(boundary, *FLine.Boundary))
        return ExitUnreadable;
    TVandrelTINModel model, surface;
    if (!Read(model, file) || (other && !Read(surface, *other)))
        return ExitUnreadable;
    const TComparison with{other ? &surface : nullptr, level.value_or(0)};
    const TBoundary* within = FLine.Boundary ? &boundary : nullptr;
    // Against a level without a boundary, each triangle is split on its own.
    const TVolumes volumes = other || within ? CompareVolumes(model.Triangles(), with, within)
                                             : VolumesToLevel(model.Triangles(), *level);
    if (level && !(std::isfinite(volumes.Cut) && std::isfinite(volumes.Fill) &&
                   std::isfinite(volumes.Cut - volumes.Fill)))
        throw TUsageError{QString("the level %1 lies so far from the model that its volume "
                                  "overflows a number")
                              .arg(*FLine.Level)};
    WriteFigures(file, VolumeFigures(volumes));
    if (FLine.ZeroLine) { // where the two surfaces meet
        const TSurfaceDifference difference = CompareSurfaces(model, surface);
        const std::optional<TCoordinateSystem> system = SystemFor(file, model);
        NoteNoSystem(*FLine.ZeroLine, zeroLineFormat, system);
        try {
            WriteVectorLines(*FLine.ZeroLine, zeroLineFormat, "zero_line",
                             ZeroLineVectorLines(difference.ZeroLine, model), false,
                             system ? &*system : nullptr, model.Header.CoordinateUnits);
        } catch (const Exception& error) {
            return GisFailed(*FLine.ZeroLine, error);
        }
    }
    return ExitDone;
}

int TRun::Raster(const QString& file, const QString& output) {
    if (!FLine.Cell)
        throw TUsageError{"raster needs --cell SIZE"};
    const auto cell = ParseCoordinate(*FLine.Cell);
    if (const QString suffix = QFileInfo(output).suffix().toLower();
        suffix != "tif" && suffix != "tiff")
        throw TUsageError{QString("raster writes GeoTIFF (.tif or .tiff), not '%1'").arg(output)};
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    if (const QString problem = GridFrameProblem(model, cell.value_or(0), 1000000000);
        !problem.isEmpty())
        throw TUsageError{problem};
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    const TGridFrame frame = GridFrameOver(model, *cell);
    try {
        WriteElevationGeoTiff(output, frame, SampleElevations(model, frame, GridNoData),
                              system ? &*system : nullptr);
    } catch (const Exception& error) {
        return GisFailed(output, error);
    }
    return ExitDone;
}

int TRun::Picture(const QString& file, const QString& output) {
    TModelPicture picture;
    if (FLine.Size) {
        const QStringList sides = FLine.Size->split('x');
        bool wide = false, high = false;
        if (sides.size() == 2) {
            picture.Width = sides[0].toInt(&wide);
            picture.Height = sides[1].toInt(&high);
        }
        if (!wide || !high || picture.Width < 1 || picture.Height < 1 || picture.Width > 16384 ||
            picture.Height > 16384)
            throw TUsageError{
                QString("--size needs WIDTHxHEIGHT, each 1 to 16384: '%1'").arg(*FLine.Size)};
    }
    auto number = [](const std::optional<QString>& text, double otherwise) {
        if (!text)
            return otherwise;
        const auto value = ParseCoordinate(*text);
        if (!value)
            throw TUsageError{QString("not a number: '%1'").arg(*text)};
        return *value;
    };
    picture.ThreeD = FLine.ThreeD;
    picture.Azimuth = number(FLine.Azimuth, picture.Azimuth);
    picture.Elevation = number(FLine.Elevation, picture.Elevation);
    picture.Terrain.Colours = FLine.Colours;
    picture.Terrain.Hillshade = FLine.Hillshade;
    picture.Terrain.Exaggeration = number(FLine.Exaggeration, 1);
    if (!(picture.Terrain.Exaggeration > 0) || picture.Terrain.Exaggeration > 1000)
        throw TUsageError{"--exaggeration needs a number greater than 0, at most 1000"};
    if (!picture.ThreeD && (FLine.Azimuth || FLine.Elevation))
        throw TUsageError{"--azimuth and --elevation go with --3d"};
    TPictureFormat format;
    if (!PictureFormatOf(output, format) || format == TPictureFormat::GeoTiff ||
        (picture.ThreeD && format != TPictureFormat::Png))
        throw TUsageError{picture.ThreeD ? "the 3D picture is PNG (.png)"
                                         : "picture writes PNG (.png), SVG (.svg) or PDF (.pdf)"};
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw TUsageError{"picture draws with the viewer's windows, which this run has not"};
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    if (FLine.ContourInterval) {
        const auto [low, high] = FiniteValueRange(model.Vertices());
        const auto settings =
            ContourSettingsFromText(*FLine.ContourInterval, "0", 5, true, low, high);
        if (const QString* problem = std::get_if<QString>(&settings))
            throw TUsageError{*problem};
        picture.Terrain.Contours = true;
        picture.Terrain.Contour = std::get<TContourSettings>(settings);
    }
    const std::optional<TCoordinateSystem> system = SystemFor(file, model);
    try {
        WriteModelPicture(model, picture, output, system ? &*system : nullptr);
    } catch (const Exception& error) {
        return Failed(output, FileErrorText(error));
    }
    return ExitDone;
}

int TRun::MeasurePolygon(const QString& file) {
    TBoundary polygon;
    if (!ReadPolygon(polygon, *FLine.Polygon))
        return ExitUnreadable;
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const TAreaMeasure m = MeasureArea(model.Triangles(), polygon);
    WriteFigures(file, {{"plan area", "planArea", m.PlanArea, 2},
                        {"surface area", "surfaceArea", m.SurfaceArea, 2}});
    return ExitDone;
}

int TRun::Measure(const QString& file, const TPoints& points) {
    const std::vector<TPlanPoint> line = LineThrough(points);
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const TLineMeasure m = MeasureLine(model, line);
    WriteFigures(file, {{"plan length", "planLength", m.PlanLength, 1},
                        {"surface length", "surfaceLength", m.SurfaceLength, 1}});
    return ExitDone;
}

int TRun::Command(const QString& command, const QStringList& rest) {
    auto exactly = [&](qsizetype count) {
        if (rest.size() != count)
            throw TUsageError{
                QString("%1 needs %2").arg(command, count == 1 ? "one FILE" : "FILE and OUT")};
    };
    auto textOnly = [&] {
        if (FLine.Json)
            throw TUsageError{QString("%1 has no --json output").arg(command)};
    };
    if (command == "header")
        return exactly(1), Header(rest[0]);
    if (command == "extents")
        return exactly(1), Extents(rest[0]);
    if (command == "check") {
        if (rest.isEmpty())
            throw TUsageError{"check needs at least one FILE"};
        return Check(rest);
    }
    if (command == "find") {
        if (rest.isEmpty())
            throw TUsageError{"find needs a FILE and points"};
        return Find(rest[0], ParsePoints(rest.mid(1), 1));
    }
    if (command == "convert")
        return textOnly(), exactly(2), Convert(rest[0], rest[1]);
    if (command == "build") {
        textOnly();
        if (rest.size() < 2)
            throw TUsageError{"build needs POINTS... and OUT"};
        return Build(rest.mid(0, rest.size() - 1), rest.last());
    }
    if (command == "contours")
        return textOnly(), exactly(2), Contours(rest[0], rest[1]);
    if (command == "profile") {
        textOnly();
        if (rest.isEmpty())
            throw TUsageError{"profile needs a FILE and points"};
        return Profile(rest[0], ParsePoints(rest.mid(1), 2));
    }
    if (command == "raster")
        return textOnly(), exactly(2), Raster(rest[0], rest[1]);
    if (command == "picture")
        return textOnly(), exactly(2), Picture(rest[0], rest[1]);
    if (command == "volume") {
        if (rest.isEmpty() || rest.size() > 2)
            throw TUsageError{"volume needs FILE, and OTHER or --level Z"};
        return Volume(rest[0], rest.size() == 2 ? std::optional(rest[1]) : std::nullopt);
    }
    if (command == "measure") {
        if (rest.isEmpty())
            throw TUsageError{"measure needs a FILE and points"};
        if (FLine.Polygon) {
            if (rest.size() != 1)
                throw TUsageError{"measure takes points or --polygon, not both"};
            return MeasurePolygon(rest[0]);
        }
        return Measure(rest[0], ParsePoints(rest.mid(1), 2));
    }
    return Summary(command.isEmpty() ? rest : QStringList{command} + rest);
}
} // namespace

int RunVrkInfo(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    try {
        const TCommandLine line = ParseOptions(arguments);
        if (line.Help) {
            out << Usage << '\n' << Help;
            return ExitDone;
        }
        if (line.Version) {
            out << "vrkinfo " << VRK_VERSION << '\n';
            return ExitDone;
        }
        if (line.Words.isEmpty())
            throw TUsageError{"no FILE given"};
        static const QStringList commands{"header",  "extents",  "find",    "check",
                                          "convert", "contours", "profile", "volume",
                                          "measure", "raster",   "picture", "build"};
        // A command word is a command, also alone (a file of that name is ./check).
        const bool named = commands.contains(line.Words[0]);
        // A first word that is neither a command nor a file is a mistyped command.
        if (!named && line.Words.size() > 1 && !FileNameExists(line.Words[0]))
            throw TUsageError{QString("unknown command '%1'").arg(line.Words[0])};
        if (!named && HasCommandOption(line))
            throw TUsageError{"--format, --interval, --base, --level, --boundary, --polygon, "
                              "--crs, --cell, --output, --zero-line, build's and the picture's "
                              "options belong to a command"};
        TRun run(line, out, err);
        return named ? run.Command(line.Words[0], line.Words.mid(1))
                     : run.Command(QString(), line.Words);
    } catch (const TUsageError& usage) {
        err << "vrkinfo: " << usage.Reason << '\n' << "Try 'vrkinfo --help'.\n";
        return ExitUsage;
    } catch (const std::bad_alloc&) {
        // Whatever the command held is gone with the stack; the heap gives its pages back.
        ReturnFreeMemory();
        err << "vrkinfo: Out of memory\n";
        return ExitUnreadable;
    }
}
