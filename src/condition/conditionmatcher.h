#pragma once

#include <QString>

namespace ConditionMatcher {

// Decides whether a header value satisfies a rule condition: wildcard patterns switched
// on by "{*}" or "{?}", numeric comparisons in a brace group such as "IMFSCL: {> 3}".
// A plain condition (neither) never matches here; the caller tests those itself. Both
// texts are rewritten in place: the value trimmed of spaces, the condition trimmed and
// with its escapes replaced. Any text is accepted, of any length, and the call always
// returns; an unusable condition simply does not match.
bool matchCondition(QString &value, QString &condition);

} // namespace ConditionMatcher
