#include "rule/numerictext.h"

#include "rule/spacetrim.h"

#include <charconv>
#include <cmath>

namespace {

// Decimal order of magnitude of a literal that from_chars found out of range: where its
// first significant digit stands relative to the point, plus the exponent.
long long magnitudeOf(const std::string &literal)
{
    auto isDigit = [&](std::size_t at) {
        return at < literal.size() && literal[at] >= '0' && literal[at] <= '9';
    };
    std::size_t i = literal.front() == '-' ? 1 : 0;
    // Digits before the point count up from the first significant one; zeros after the
    // point and before the first significant digit count down.
    long long magnitude = 0;
    bool significant = false;
    for (; isDigit(i); ++i) {
        significant = significant || literal[i] != '0';
        if (significant)
            ++magnitude;
    }
    if (i < literal.size() && literal[i] == '.') {
        for (++i; isDigit(i); ++i) {
            if (significant)
                continue;
            if (literal[i] == '0')
                --magnitude;
            else
                significant = true;
        }
    }
    long long exponent = 0;
    bool negativeExponent = false;
    if (i < literal.size() && literal[i] == 'e') {
        ++i;
        if (i < literal.size() && (literal[i] == '+' || literal[i] == '-'))
            negativeExponent = literal[i++] == '-';
        for (; i < literal.size(); ++i)
            exponent = std::min(exponent * 10 + (literal[i] - '0'), 1'000'000'000LL);
    }
    return magnitude + (negativeExponent ? -exponent : exponent);
}

} // namespace

double decimalLiteralValue(const std::string &literal)
{
    double value = 0;
    const auto result = std::from_chars(literal.data(), literal.data() + literal.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool negative = !literal.empty() && literal.front() == '-';
        value = magnitudeOf(literal) > 0 ? (negative ? -HUGE_VAL : HUGE_VAL) : 0.0;
    } else if (result.ec != std::errc()) {
        value = 0;
    }
    return value;
}

std::optional<double> readNumericText(QStringView text)
{
    const QString trimmed = trimSpaces(text);
    const qsizetype size = trimmed.size();
    auto isDigit = [&](qsizetype at) {
        return at < size && trimmed[at] >= QLatin1Char('0') && trimmed[at] <= QLatin1Char('9');
    };
    std::string literal;
    qsizetype i = 0;
    if (i < size && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-'))) {
        if (trimmed[i] == QLatin1Char('-'))
            literal += '-';
        ++i;
    }
    int digits = 0;
    for (; isDigit(i); ++i, ++digits)
        literal += char(trimmed[i].unicode());
    if (i < size && trimmed[i] == QLatin1Char('.')) {
        literal += '.';
        for (++i; isDigit(i); ++i, ++digits)
            literal += char(trimmed[i].unicode());
    }
    if (digits == 0)
        return std::nullopt;
    if (i < size && QStringLiteral("eEdD").contains(trimmed[i])) {
        literal += 'e';
        ++i;
        if (i < size && (trimmed[i] == QLatin1Char('+') || trimmed[i] == QLatin1Char('-')))
            literal += char(trimmed[i++].unicode());
        if (!isDigit(i))
            return std::nullopt;
        for (; isDigit(i); ++i)
            literal += char(trimmed[i].unicode());
    }
    if (i != size)
        return std::nullopt;
    return decimalLiteralValue(literal);
}
