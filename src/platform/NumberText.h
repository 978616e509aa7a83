#pragma once
// Number-to-text conversions that do not depend on the C library's locale: the digits come from
// std::to_chars and the decimal separator is given by the caller (the user's separator for the
// display, a full stop for the command-line tool).
#include <QChar>
#include <QString>

// The decimal separator of the user's locale settings.
QChar SystemDecimalSeparator();
// Numbers that are not finite read "NaN", "INF" and "-INF" in every display.
QString NonFiniteText(double value);
// Fixed notation with the given number of decimals ("%.3f"), no group separator.
QString FormatFixed(double value, int decimals, QChar separator);
// General notation with up to the given significant digits, no trailing zeros ("%.15g").
QString FormatGeneral(double value, int digits, QChar separator);
// The shortest text that reads back as exactly the same double, with a full stop, in plain
// decimals from 1e-6 to 1e17 and with an exponent beyond: for files other programs read.
QString FormatShortest(double value);
