#include "ResourceControls.h"

#include <QFileDialog>
#include <QPainter>

void TCaptionPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (Caption.isEmpty())
        return;
    QPainter painter(this);
    painter.drawText(contentsRect(), Qt::AlignCenter, Caption);
}

QString TResFileDialog::QtFilter() const {
    const QStringList parts = Filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(u';', u' ') + ")";
    return filters.join(";;");
}

QString TResOpenDialog::Execute(QWidget* parent) const {
    return QFileDialog::getOpenFileName(parent, Title, QString(), QtFilter());
}

QString TResSaveDialog::Execute(QWidget* parent) const {
    return QFileDialog::getSaveFileName(parent, Title, QString(), QtFilter());
}
