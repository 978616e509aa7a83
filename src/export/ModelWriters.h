#pragma once
// The model in the formats other programs read: LandXML 1.2 (a TIN surface with its start
// points and edge list as features), binary PLY, Wavefront OBJ and the 2DM mesh text; and as a
// model file of its own. Numbers
// are written exactly: the shortest text that reads back as the same double, or the double's
// own bytes. A model that a text format cannot hold (a coordinate that is not a finite number,
// a triangle without its corners) is refused with Exception before anything is written.
#include <QString>

#include <cstdint>

class QIODevice;
class TVandrelTINModel;
struct TSurfaceData;
class TSurfaceView;

enum class TModelFormat { LandXml, Ply, Obj, Mesh2dm, Vrk };

// The format a file name's extension names (.xml, .ply, .obj, .2dm, .vrk), or the one called by
// name ("landxml", "ply", "obj", "2dm", "vrk"); false when neither says.
bool ModelFormatFromExtension(const QString& fileName, TModelFormat& format);
bool ModelFormatFromName(const QString& name, TModelFormat& format);

// A coordinate system as LandXML names it: by its EPSG code when it has one, else by its WKT.
struct TSystemName {
    QString Name;
    int Epsg = 0; // 0: none
    QString Wkt;
};

// With a system, LandXML names it in a CoordinateSystem element.
void WriteModel(const TVandrelTINModel& model, TModelFormat format, QIODevice& out,
                const TSystemName* system = nullptr);

// The surface of points and faces as a model file: the bytes of the model BuildModel makes of
// it written as a model file, without making the model (a surface of millions of points).
void WriteVrkSurface(const TSurfaceData& surface, QIODevice& out);
// The same of a surface as it is held, with its name and units (the header's code).
void WriteVrkSurface(const TSurfaceView& surface, const QString& name, uint8_t units,
                     QIODevice& out);
