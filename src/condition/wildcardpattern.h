#pragma once

#include <QStringView>

namespace ConditionMatcher {

// Whether a whole text matches a whole wildcard pattern, comparing character codes:
// "*" any run, "?" one character, "#" one digit 0-9, "[...]" one character of a list
// with low-high ranges ("!" first negates, "-" first or last stands for itself, so
// "[*]", "[?]", "[#]" and "[[]" are those characters), "[]" nothing at all, and any
// other character itself. A pattern with an unclosed "[" or a descending range is
// invalid and matches nothing. Time is at most proportional to the product of the
// two lengths, whatever the pattern.
bool matchesWildcard(QStringView text, QStringView pattern);

} // namespace ConditionMatcher
