#pragma once
// The file header as 29 rows of field name and value text, in the order of the header record.
#include "vrk/VRKHeader.h"

#include <QChar>
#include <QString>
#include <QVariant>
#include <vector>

struct THeaderRow {
    QString Field;
    QString Value;
    QVariant Raw; // the field's own value: a number, or the text of a character field
};

// The rows of a header; doubles are written with the given decimal separator.
std::vector<THeaderRow> HeaderRows(const TVRKHeader& header, QChar decimalSeparator);
// The name at 1-based position value of a comma-separated list, or "(value)" outside it.
QString EnumName(int value, const QString& names);
