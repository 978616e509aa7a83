#pragma once
// Display texts for values that may be the null value.
#include <QString>

// The value in fixed notation with the given decimals (and that many plus ten significant
// digits), or the null text; uses the user's decimal separator.
QString FormatValue(int decimals, double value);
// Drops trailing zeros after the decimal separator while more than minDecimals remain.
QString TrimZeros(const QString& text, int minDecimals);
