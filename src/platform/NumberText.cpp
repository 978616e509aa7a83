#include "NumberText.h"

#include <cmath>

#include <QLocale>
#include <charconv>

namespace {
QString WithSeparator(const char* first, const char* last, QChar separator) {
    QString text = QString::fromLatin1(first, last - first);
    if (separator != u'.')
        text.replace(u'.', separator);
    return text;
}
} // namespace

QChar SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.front();
}

QString NonFiniteText(double value) {
    if (std::isnan(value))
        return QStringLiteral("NaN"); // whatever its sign bit
    return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
}

QString FormatFixed(double value, int decimals, QChar separator) {
    if (!std::isfinite(value))
        return NonFiniteText(value);
    char buffer[400];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return WithSeparator(buffer, result.ptr, separator);
}

QString FormatGeneral(double value, int digits, QChar separator) {
    if (!std::isfinite(value))
        return NonFiniteText(value);
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    return WithSeparator(buffer, result.ptr, separator);
}

QString FormatShortest(double value) {
    // Plain decimals for every magnitude a survey meets (500000, not 5e+05); an exponent only
    // where plain digits would run to dozens.
    const double magnitude = std::abs(value);
    const bool plain = magnitude == 0 || (magnitude >= 1e-6 && magnitude < 1e17);
    char buffer[64];
    const auto result =
        plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
              : std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}
