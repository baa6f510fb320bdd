#pragma once

#include <QStringView>

namespace ConditionMatcher {

// Reads the number at the start of a text as the condition language does: blanks
// (space, tab, line feed) are skipped wherever they stand, then an optional sign,
// digits, an optional "." with more digits and an optional exponent (E, either case,
// with an optionally signed integer). Reading stops at the first character that cannot
// continue the number; a text without a leading number reads as 0. The point is always
// ".", whatever the locale. Beyond the range of a double the value is an infinity of
// the number's sign, below its smallest value it is 0.
double readNumber(QStringView text);

} // namespace ConditionMatcher
