#pragma once
// The volume report on paper: the HTML page as a PDF document, and the report in the format a
// file name asks for (they need Qt's GUI module, which the rest of the export folder does not).
#include "VolumeReport.h"

// The report's page as a PDF document (A4).
void WriteVolumePdf(const TVolumeReport& report, QIODevice& out);
// By the file name's extension: .pdf, .html (.htm), .csv or .json; false for another.
bool VolumeReportFormatKnown(const QString& fileName);
void WriteVolumeReport(const TVolumeReport& report, const QString& fileName, QIODevice& out);
