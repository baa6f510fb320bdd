#pragma once

#include "platform/platformerror.h"

#include <QtGlobal>
#include <QVariant>

// The arithmetic and conversion rules the window behaviour follows: halves round to even,
// a 32-bit counter that overflows raises instead of wrapping, and a value that cannot be
// read as the type asked for raises instead of reading as 0 or empty.
namespace BasicNumbers {

inline constexpr qint32 OverflowNumber = 6;
inline constexpr qint32 DivisionByZeroNumber = 11;
inline constexpr qint32 TypeMismatchNumber = 13;
inline constexpr qint32 InvalidUseOfNullNumber = 94;

platform::PlatformError overflow();

// Nearest integer, halves to the even neighbour (12.5 -> 12, 13.5 -> 14).
double roundHalfEven(double value);
// A value rounded half-to-even into a 32-bit integer; throws Overflow beyond its range.
qint32 toLong(double value);
// a + b; throws Overflow when the sum leaves 32 bits.
qint32 addLong(qint32 a, qint32 b);
// a / b; throws Overflow for 0 / 0 and Division by zero for any other x / 0.
double divide(double a, double b);
// Integer division of both operands rounded half-to-even, the quotient truncated.
qint64 integerDivide(double a, double b);

// A directory field as text, null reading as "". Several values are no text: Type mismatch.
QString textOf(const QVariant &field);
// A directory field as a 32-bit integer: a number, or a text that reads as one, rounded
// half-to-even. Throws Invalid use of Null, Type mismatch (not a number, several values)
// or Overflow.
qint32 longOf(const QVariant &field);

} // namespace BasicNumbers
