#pragma once
// The volume report on paper: the HTML page as a PDF document, and the report in the format a
// file name asks for (they need Qt's GUI module, which the rest of the export folder does not).
#include "VolumeReport.h"

#include <QImage>

// The report's page as a PDF document (A4), with the map of the difference under the figures
// when there is one.
void WriteVolumePdf(const TVolumeReport& report, QIODevice& out, const QImage& map = {});
// By the file name's extension: .pdf, .html (.htm), .csv or .json; false for another. The map
// goes on the PDF only.
bool VolumeReportFormatKnown(const QString& fileName);
void WriteVolumeReport(const TVolumeReport& report, const QString& fileName, QIODevice& out,
                       const QImage& map = {});
