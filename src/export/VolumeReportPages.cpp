#include "VolumeReportPages.h"

#include <QFileInfo>
#include <QIODevice>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

void PrintVolumeReport(const TVolumeReport& report, QPagedPaintDevice& device, const QImage& map) {
    QTextDocument document;
    QString html = VolumeReportHtml(report);
    if (!map.isNull()) {
        document.addResource(QTextDocument::ImageResource, QUrl("vrk:map"), map);
        html.replace("</body>", "<p><img src=\"vrk:map\" width=\"480\"></p>\n</body>");
    }
    document.setHtml(html);
    document.print(&device);
}

void WriteVolumePdf(const TVolumeReport& report, QIODevice& out, const QImage& map) {
    QPdfWriter pdf(&out);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setTitle("Volume report");
    pdf.setCreator(report.Program);
    PrintVolumeReport(report, pdf, map);
}

bool VolumeReportFormatKnown(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    return suffix == "pdf" || suffix == "html" || suffix == "htm" || suffix == "csv" ||
           suffix == "json";
}

void WriteVolumeReport(const TVolumeReport& report, const QString& fileName, QIODevice& out,
                       const QImage& map) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "pdf")
        return WriteVolumePdf(report, out, map);
    if (suffix == "html" || suffix == "htm")
        return WriteVolumeHtml(report, out);
    if (suffix == "json")
        return WriteVolumeJson(report, out);
    WriteVolumeCsv(report, out);
}
