#pragma once
// The volume report as text to copy, as CSV and as JSON: the surfaces compared and the figures
// with their units.
#include "compare/Volumes.h"

#include <QString>

class QIODevice;

struct TVolumeReport {
    QString Model;   // the model's name
    QString Against; // what it was compared with, as the user reads it
    QString Unit;    // the length unit's symbol: m, ft, US ft
    TVolumes Volumes;
    // Where |d| is within it the ground counts as unchanged (0: no tolerance); with one the
    // unchanged area and the tolerance are reported too.
    double Tolerance = 0;
};

// Lines of "name: number unit" under a heading, numbers with three decimals.
QString VolumeReportText(const TVolumeReport& report);
// "quantity,value,unit" rows, numbers exact.
void WriteVolumeCsv(const TVolumeReport& report, QIODevice& out);
// One object: model, against, unit and the figures by their keys, numbers exact.
void WriteVolumeJson(const TVolumeReport& report, QIODevice& out);
