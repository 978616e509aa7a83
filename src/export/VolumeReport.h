#pragma once
// The volume report as text to copy, as CSV, JSON, HTML and PDF: the surfaces compared and the
// figures with their units, and the particulars a client asks for: when and by what it was
// made, the files, the coordinate system, the boundary, the tolerance and the sign convention.
#include "compare/Volumes.h"

#include <QString>

#include <utility>
#include <vector>

class QIODevice;
struct TBoundary;

struct TVolumeReport {
    QString Model;   // the model's name
    QString Against; // what it was compared with, as the user reads it
    QString Unit;    // the length unit's symbol: m, ft, US ft
    TVolumes Volumes;
    // Where |d| is within it the ground counts as unchanged (0: no tolerance); with one the
    // unchanged area and the tolerance are reported too.
    double Tolerance = 0;
    // The particulars (empty: not known, left out).
    QString Created;     // the date and time, ISO 8601
    QString Program;     // the program and its version
    QString ModelFile;   // the model's file
    QString AgainstFile; // the other surface's file; empty for a level
    QString System;      // the coordinate system's name
    QString Boundary;    // "FILE: plan area A, N vertices", or empty for the whole overlap
};

// The boundary as the report names it: "FILE: plan area A UNIT², N vertices" (without a file,
// from "plan area" on).
QString BoundaryParticulars(const TBoundary& boundary, const QString& file, const QString& unit);

// The report's particulars as (name, value) rows, in order; the boundary and the convention
// always.
std::vector<std::pair<QString, QString>> VolumeReportParticulars(const TVolumeReport& report);

// Lines of "name: number unit" under a heading, numbers with three decimals.
QString VolumeReportText(const TVolumeReport& report);
// "quantity,value,unit" rows, numbers exact.
void WriteVolumeCsv(const TVolumeReport& report, QIODevice& out);
// One object: model, against, unit and the figures by their keys, numbers exact.
void WriteVolumeJson(const TVolumeReport& report, QIODevice& out);
// A page with a title, the particulars and the figures in a table.
QString VolumeReportHtml(const TVolumeReport& report);
void WriteVolumeHtml(const TVolumeReport& report, QIODevice& out);
