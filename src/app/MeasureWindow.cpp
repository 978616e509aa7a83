#include "MeasureWindow.h"
#include "platform/NumberText.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

QString MeasureText(const TLineMeasure& line, const std::vector<TSegmentMeasure>& segments,
                    const QString& unit) {
    const QChar separator = SystemDecimalSeparator();
    auto length = [&](double value) { return FormatFixed(value, 3, separator) + ' ' + unit; };
    QString text = "Plan length: " + length(line.PlanLength) + '\n';
    text += "Surface length: " + length(line.SurfaceLength);
    if (line.PlanOnMesh < line.PlanLength)
        text += " (over " + length(line.PlanOnMesh) + " of the line on the model)";
    text += '\n';
    for (size_t i = 0; i < segments.size(); ++i) {
        const TSegmentMeasure& s = segments[i];
        text += QString("%1: %2, bearing %3°, grade %4\n")
                    .arg(i + 1)
                    .arg(length(s.PlanLength), FormatFixed(s.Bearing, 3, separator),
                         std::isnan(s.Grade) ? QString("off the model")
                                             : FormatFixed(s.Grade, 2, separator) + " %");
    }
    return text;
}

TfrmMeasure::TfrmMeasure(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmMeasure");
    setWindowTitle("Measure");
    lblMeasure = new QLabel(this);
    lblMeasure->setObjectName("lblMeasure");
    lblMeasure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* btnCopy = new QPushButton("&Copy", this);
    btnCopy->setObjectName("btnCopy");
    auto* btnClose = new QPushButton("C&lose", this);
    btnClose->setObjectName("btnClose");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnCopy);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblMeasure, 1);
    layout->addLayout(buttons);
    connect(btnCopy, &QPushButton::clicked, this,
            [this] { QApplication::clipboard()->setText(Text()); });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
}

void TfrmMeasure::ShowMeasure(const TLineMeasure& line,
                              const std::vector<TSegmentMeasure>& segments, const QString& unit) {
    lblMeasure->setText(MeasureText(line, segments, unit).trimmed());
    adjustSize();
    show();
    raise();
}

QString TfrmMeasure::Text() const {
    return lblMeasure->text() + '\n';
}
