#pragma once
// A surface built from survey files: the points of every points file (text, LAS, GIS point
// layers, PLY or OBJ vertices, told apart by their content and names), the breaklines and the
// boundary, triangulated. The command line and the viewer's dialog both build through here.
#include "Triangulation.h"

#include <QString>
#include <QStringList>

#include <set>

struct TSurveyFiles {
    QStringList Points, Breaklines;
    QString Boundary;      // empty for none
    QString BoundaryWhere; // the boundary file's features to use (OGR SQL); empty for all
    QString Columns;       // a text file's column letters; empty to tell from the file
    std::set<int> Classes; // LAS classes to keep; empty for all
};

// The points of one file, by its kind.
std::vector<TSurfacePoint> ReadSurveyPoints(const QString& fileName, const QString& columns,
                                            const std::set<int>& classes);

// Raises ESurfaceReadError whose message begins with the name of the file at fault (the points
// files' names for points that span no triangle); EColumnsNeeded for a text file whose columns
// the user must give.
TSurfaceData BuildSurface(const TSurveyFiles& files, const TTriangulationOptions& options,
                          TTriangulationReport& report);
// As BuildSurface, the surface handed to use as the triangulation holds it (no copy of
// millions of points); what use raises passes through unchanged.
void BuildSurfaceInto(const TSurveyFiles& files, const TTriangulationOptions& options,
                      TTriangulationReport& report,
                      const std::function<void(const TSurfaceView&)>& use);
