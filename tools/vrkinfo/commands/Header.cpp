// vrkinfo header FILE: the header fields and their values.
#include "Run.h"
#include "inspect/HeaderRows.h"
#include "vrk/VRKModel.h"

#include <QJsonArray>
#include <QJsonObject>

namespace vrkinfo {
int TRun::Header(const QString& file) {
    TVandrelTINModel model;
    if (!Read(model, file))
        return ExitUnreadable;
    const std::vector<THeaderRow> rows = HeaderRows(model.Header, u'.');
    if (!FLine.Json) {
        for (const THeaderRow& row : rows)
            FOut << row.Field << '\t' << row.Value << '\n';
        return ExitDone;
    }
    QJsonArray list;
    QJsonObject fields;
    for (const THeaderRow& row : rows) {
        list.append(QJsonObject{{"name", row.Field}, {"value", row.Value}});
        fields[row.Field] = row.Raw.typeId() == QMetaType::Double
                                ? JsonNumber(row.Raw.toDouble())
                                : QJsonValue::fromVariant(row.Raw);
    }
    WriteJson(QJsonObject{{"file", file}, {"rows", list}, {"fields", fields}});
    return ExitDone;
}
} // namespace vrkinfo
