#include "VolumeReportPages.h"

#include <QFileInfo>
#include <QIODevice>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>

void WriteVolumePdf(const TVolumeReport& report, QIODevice& out) {
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setTitle("Volume report");
    pdf.setCreator(report.Program);
    QTextDocument document;
    document.setHtml(VolumeReportHtml(report));
    document.print(&pdf);
}

bool VolumeReportFormatKnown(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == "pdf" || suffix == "html" || suffix == "htm" || suffix == "csv" ||
           suffix == "json";
}

void WriteVolumeReport(const TVolumeReport& report, const QString& fileName, QIODevice& out) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "pdf")
        return WriteVolumePdf(report, out);
    if (suffix == "html" || suffix == "htm")
        return WriteVolumeHtml(report, out);
    if (suffix == "json")
        return WriteVolumeJson(report, out);
    WriteVolumeCsv(report, out);
}
