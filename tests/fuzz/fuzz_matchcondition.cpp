// libFuzzer target: matchCondition on any pair of texts.
#include "condition/conditionmatcher.h"
#include "fuzzinput.h"
#include "rule/spacetrim.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString input = fuzzText(data, size);
    // The first character says where the value ends and the condition begins.
    const qsizetype split = input.isEmpty() ? 0 : 1 + input[0].unicode() % input.size();
    const QString value = input.mid(1, split - 1);
    const QString condition = input.mid(split);

    QString v = value;
    QString c = condition;
    const bool result = ConditionMatcher::matchCondition(v, c);
    if (v != trimSpaces(value) || (result && !condition.contains(QLatin1Char('{'))))
        __builtin_trap();
    return 0;
}
