#pragma once
// The volume report on paper: the HTML page as a PDF document, and the report in the format a
// file name asks for (they need Qt's GUI module, which the rest of the export folder does not).
#include "VolumeReport.h"

#include <QImage>

class QPagedPaintDevice;

// The report's page on a printer or a PDF, with the map of the difference under the figures
// when there is one.
void PrintVolumeReport(const TVolumeReport& report, QPagedPaintDevice& device,
                       const QImage& map = {});
// As a PDF document (A4).
void WriteVolumePdf(const TVolumeReport& report, QIODevice& out, const QImage& map = {});
// By the file name's extension: .pdf, .html (.htm), .csv or .json; false for another. The map
// goes on the PDF only.
bool VolumeReportFormatKnown(const QString& fileName);
void WriteVolumeReport(const TVolumeReport& report, const QString& fileName, QIODevice& out,
                       const QImage& map = {});
