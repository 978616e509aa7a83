#include "ValueFormat.h"
#include "Geometry.h"
#include "platform/NumberText.h"
#include "platform/StringModule.h"

#include <cmath>

namespace {
constexpr uint16_t NullValueString = 6527;

const QString& NullText() {
    static const QString text = LoadResText(NullValueString, "<Null>").left(20);
    return text;
}

// Exponent notation with the given significant digits, as "1.50E+003".
QString ExponentText(double value, int digits, QChar separator) {
    const QString text = QString::asprintf("%.*E", digits - 1, value);
    const qsizetype e = text.indexOf(u'E');
    QString mantissa = text.left(e);
    mantissa.replace(u'.', separator);
    const int exponent = text.mid(e + 1).toInt();
    return mantissa + QString("E%1%2")
                          .arg(exponent < 0 ? '-' : '+')
                          .arg(std::abs(exponent), 3, 10, QChar(u'0'));
}
} // namespace

QString FormatValue(int decimals, double value) {
    if (value == NullValue)
        return NullText();
    const QChar separator = SystemDecimalSeparator();
    const int precision = decimals + 10;
    if (std::isfinite(value) && std::abs(value) >= std::pow(10.0, precision))
        return ExponentText(value, precision, separator);
    return FormatFixed(value, decimals, separator);
}

QString TrimZeros(const QString& text, int minDecimals) {
    QString result = text.left(30);
    const qsizetype point = result.indexOf(SystemDecimalSeparator());
    if (point < 0)
        return result;
    qsizetype digitsEnd = point + 1;
    while (digitsEnd < result.size() && result[digitsEnd].isDigit())
        ++digitsEnd;
    qsizetype keep = digitsEnd;
    while (keep - point - 1 > minDecimals && result[keep - 1] == u'0')
        --keep;
    if (keep == point + 1)
        keep = point; // no decimal left: the separator goes too
    return result.left(keep) + result.mid(digitsEnd);
}
