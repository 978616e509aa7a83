#include "ErrorGuard.h"

#include <QDebug>

namespace {
TErrorReporter& Reporter() {
    static TErrorReporter reporter;
    return reporter;
}
} // namespace

void SetErrorReporter(TErrorReporter reporter) {
    Reporter() = std::move(reporter);
}

void ReportError(const QString& message) {
    try {
        if (Reporter())
            Reporter()(message);
        else
            qWarning().noquote() << message;
    } catch (...) {
        qWarning().noquote() << message;
    }
}
