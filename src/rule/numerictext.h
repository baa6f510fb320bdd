#pragma once

#include <optional>
#include <QStringView>
#include <string>

// The numeric test the editor applies to typed values: surrounding spaces allowed, then
// an optional sign, digits with at most one ".", and an optional exponent (E or D).
// Returns the value, or nothing when the text is not a number (the empty text is not).
std::optional<double> readNumericText(QStringView text);

// Converts a well-formed ASCII decimal literal ("-12.5e3", no "+" on the mantissa) to a
// double, whatever the locale. Beyond the range of a double it gives an infinity of the
// literal's sign, below the smallest double it gives zero.
double decimalLiteralValue(const std::string &literal);
