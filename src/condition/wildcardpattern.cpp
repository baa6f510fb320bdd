#include "condition/wildcardpattern.h"

#include <optional>
#include <utility>
#include <vector>

namespace ConditionMatcher {

namespace {

// One element of a compiled pattern: a run of any length, or a test of one character.
struct Element
{
    enum class Kind { AnyRun, AnyChar, Digit, Literal, List };
    Kind kind = Kind::Literal;
    char16_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char16_t, char16_t>> ranges;

    static Element of(Kind kind, char16_t literal = 0)
    {
        Element element;
        element.kind = kind;
        element.literal = literal;
        return element;
    }

    bool accepts(char16_t c) const
    {
        switch (kind) {
        case Kind::AnyRun:
        case Kind::AnyChar:
            return true;
        case Kind::Digit:
            return c >= u'0' && c <= u'9';
        case Kind::Literal:
            return c == literal;
        case Kind::List:
            break;
        }
        bool inList = false;
        for (const auto &[low, high] : ranges) {
            if (c >= low && c <= high) {
                inList = true;
                break;
            }
        }
        return inList != negated;
    }
};

// Parses the list that starts after "[" at position at; returns the element and moves
// at past the closing "]", or nothing when the list is invalid.
std::optional<Element> compileList(QStringView pattern, qsizetype &at)
{
    Element element = Element::of(Element::Kind::List);
    if (at < pattern.size() && pattern[at] == u'!') {
        element.negated = true;
        ++at;
    }
    while (at < pattern.size() && pattern[at] != u']') {
        const char16_t low = pattern[at].unicode();
        if (at + 2 < pattern.size() && pattern[at + 1] == u'-' && pattern[at + 2] != u']') {
            const char16_t high = pattern[at + 2].unicode();
            if (high < low)
                return std::nullopt;
            element.ranges.emplace_back(low, high);
            at += 3;
        } else {
            element.ranges.emplace_back(low, low);
            ++at;
        }
    }
    if (at >= pattern.size())
        return std::nullopt;
    ++at;
    return element;
}

std::optional<std::vector<Element>> compile(QStringView pattern)
{
    std::vector<Element> elements;
    qsizetype at = 0;
    while (at < pattern.size()) {
        const char16_t c = pattern[at++].unicode();
        if (c == u'*') {
            if (elements.empty() || elements.back().kind != Element::Kind::AnyRun)
                elements.push_back(Element::of(Element::Kind::AnyRun));
        } else if (c == u'?') {
            elements.push_back(Element::of(Element::Kind::AnyChar));
        } else if (c == u'#') {
            elements.push_back(Element::of(Element::Kind::Digit));
        } else if (c == u'[') {
            if (at < pattern.size() && pattern[at] == u']') {
                ++at;
                continue;
            }
            std::optional<Element> list = compileList(pattern, at);
            if (!list)
                return std::nullopt;
            elements.push_back(std::move(*list));
        } else {
            elements.push_back(Element::of(Element::Kind::Literal, c));
        }
    }
    return elements;
}

} // namespace

bool matchesWildcard(QStringView text, QStringView pattern)
{
    const std::optional<std::vector<Element>> compiled = compile(pattern);
    if (!compiled)
        return false;
    const std::vector<Element> &elements = *compiled;
    std::size_t count = elements.size();
    auto size = std::size_t(text.size());

    // What follows the last run must match the end of the text exactly, so it is checked
    // there once instead of at every position the run could stop.
    std::size_t tail = 0;
    while (tail < count && elements[count - 1 - tail].kind != Element::Kind::AnyRun)
        ++tail;
    if (tail < count) {
        if (tail > size)
            return false;
        for (std::size_t k = 0; k < tail; ++k) {
            if (!elements[count - tail + k].accepts(text[qsizetype(size - tail + k)].unicode()))
                return false;
        }
        count -= tail;
        size -= tail;
    }

    // Every element but a run takes exactly one character, so only the latest run needs
    // to be retried: each retry lets it take one character more, which bounds the work
    // by the product of the lengths.
    std::size_t t = 0;
    std::size_t e = 0;
    std::optional<std::size_t> runElement;
    std::size_t runTextStart = 0;
    while (t < size) {
        if (e < count && elements[e].kind == Element::Kind::AnyRun) {
            runElement = e++;
            runTextStart = t;
        } else if (e < count && elements[e].accepts(text[t].unicode())) {
            ++e;
            ++t;
        } else if (runElement) {
            e = *runElement + 1;
            t = ++runTextStart;
        } else {
            return false;
        }
    }
    while (e < count && elements[e].kind == Element::Kind::AnyRun)
        ++e;
    return e == count;
}

} // namespace ConditionMatcher
