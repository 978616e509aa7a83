// vrkinfo: the option table, the parsing of the command line and the dispatch to the commands,
// each of which has a file of its own in commands/.
#include "Run.h"
#include "platform/FileNames.h"
#include "platform/Memory.h"

#include <algorithm>
#include <new>

namespace vrkinfo {
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
    "       vrkinfo contours [--format FORMAT] [--crs SYSTEM] FILE --interval I [--base B]\n"
    "               [--index N] OUT\n"
    "       vrkinfo profile FILE E1 N1 E2 N2 [E N ...] [--output OUT [--crs SYSTEM]]\n"
    "       vrkinfo raster [--crs SYSTEM] FILE --cell SIZE OUT.tif\n"
    "               [--extent XMIN YMIN XMAX YMAX]\n"
    "       vrkinfo raster [--crs SYSTEM] FILE --like GRID.tif OUT.tif\n"
    "       vrkinfo [--json] volume FILE (OTHER | --level Z) [--boundary POLYGON]\n"
    "               [--surface NAME] [--other-surface NAME] [--tolerance T] [--report OUT]\n"
    "               [--zero-line OUT [--crs SYSTEM]]\n"
    "       vrkinfo [--json] measure FILE E1 N1 E2 N2 [E N ...]\n"
    "       vrkinfo [--json] measure FILE --polygon POLYGON\n"
    "       vrkinfo picture FILE OUT [--size WxH] [--colours] [--hillshade] [--contours I]\n"
    "               [--3d [--azimuth A] [--elevation E] [--exaggeration X]]\n"
    "               [--compare OTHER [--other-surface NAME] | --level Z]\n"
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
    "  contours FILE --interval I [--base B] [--index N] OUT\n"
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
    "  --boundary-where CONDITION\n"
    "                    the features of --boundary (or --polygon) to use, as an OGR SQL\n"
    "                    condition on their attributes: \"name='site'\"\n"
    "  --report OUT      volume: the report a client is given, as PDF (.pdf), HTML (.html),\n"
    "                    CSV (.csv) or JSON (.json): when and by what, the files, the\n"
    "                    system, the boundary, the tolerance, the convention and the figures\n"
    "  --compare OTHER   picture: the difference with the surface OTHER (d = OTHER - FILE,\n"
    "                    cut red, fill blue) with its legend; --level Z: with that level\n"
    "                    (also in 3D: the ground in cut and fill, a level a translucent\n"
    "                    plane)\n"
    "  --extent XMIN YMIN XMAX YMAX\n"
    "                    raster: the grid from this extent's north-west corner over it, so\n"
    "                    that grids of several surveys align (default: the model's extent)\n"
    "  --like GRID.tif   raster: the grid of that GeoTIFF: its extent, cell size and system\n"
    "  --interval I      the contour interval, greater than 0\n"
    "  --base B          the level one contour passes through (default 0)\n"
    "  --index N         contours: every N-th level from the base an index contour (the\n"
    "                    attribute index, the DXF layer CONTOUR_INDEX); default none\n"
    "  --level Z         the level a volume is measured against\n"
    "  --boundary POLYGON\n"
    "                    the union of the polygons of a GeoJSON, GeoPackage, Shapefile or DXF\n"
    "                    file (closed polylines), holes kept: volume only inside it, build's\n"
    "                    outline\n"
    "  --polygon POLYGON the file whose polygons, read as --boundary's, measure measures\n"
    "  --surface NAME    the LandXML surface to read (default: the first)\n"
    "  --tolerance T     volume: where the surfaces differ by T or less the ground counts as\n"
    "                    unchanged: the cut and fill areas are beyond it, the unchanged area\n"
    "                    is given too; the volumes stay exact over everything (default 0)\n"
    "  --other-surface NAME\n"
    "                    volume: the LandXML surface of OTHER (default: as --surface), so\n"
    "                    that two surfaces of one file are compared\n"
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
                                           {"--other-surface", &TCommandLine::OtherSurface, true},
                                           {"--tolerance", &TCommandLine::Tolerance, true},
                                           {"--compare", &TCommandLine::Compare, true},
                                           {"--report", &TCommandLine::Report, true},
                                           {"--boundary-where", &TCommandLine::BoundaryWhere, true},
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
                                           {"--name", &TCommandLine::Name, true},
                                           {"--index", &TCommandLine::Index, true},
                                           {"--like", &TCommandLine::Like, true}};

bool HasCommandOption(const TCommandLine& line) {
    return line.Colours || line.Hillshade || line.ThreeD || !line.Breaklines.isEmpty() ||
           !line.Extent.isEmpty() ||
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
        } else if (a == "--extent") {
            if (i + 4 >= arguments.size())
                throw TUsageError{"option '--extent' needs XMIN YMIN XMAX YMAX"};
            line.Extent = arguments.mid(i + 1, 4);
            i += 4;
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
} // namespace

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
} // namespace vrkinfo

using namespace vrkinfo;

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
