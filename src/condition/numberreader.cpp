#include "condition/numberreader.h"

#include "rule/numerictext.h"

#include <string>

namespace ConditionMatcher {

namespace {

// Walks a text's characters with the blanks left out.
class BlankSkipper
{
public:
    explicit BlankSkipper(QStringView text) : m_text(text) { skip(); }

    bool atEnd() const { return m_at >= m_text.size(); }
    char16_t peek() const { return atEnd() ? u'\0' : m_text[m_at].unicode(); }
    bool peekDigit() const { return peek() >= u'0' && peek() <= u'9'; }
    void next()
    {
        ++m_at;
        skip();
    }
    qsizetype position() const { return m_at; }
    void rewind(qsizetype position) { m_at = position; }

private:
    void skip()
    {
        while (m_at < m_text.size() &&
               (m_text[m_at] == u' ' || m_text[m_at] == u'\t' || m_text[m_at] == u'\n'))
            ++m_at;
    }

    QStringView m_text;
    qsizetype m_at = 0;
};

} // namespace

double readNumber(QStringView text)
{
    BlankSkipper in(text);
    std::string literal;
    if (in.peek() == u'+' || in.peek() == u'-') {
        if (in.peek() == u'-')
            literal += '-';
        in.next();
    }
    bool anyDigit = false;
    for (; in.peekDigit(); in.next()) {
        literal += char(in.peek());
        anyDigit = true;
    }
    if (in.peek() == u'.') {
        literal += '.';
        for (in.next(); in.peekDigit(); in.next()) {
            literal += char(in.peek());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;
    if (in.peek() == u'e' || in.peek() == u'E') {
        // An exponent counts only when digits follow; otherwise the number ends before it.
        const qsizetype mark = in.position();
        std::string exponent = "e";
        in.next();
        if (in.peek() == u'+' || in.peek() == u'-') {
            exponent += char(in.peek());
            in.next();
        }
        if (in.peekDigit()) {
            for (; in.peekDigit(); in.next())
                exponent += char(in.peek());
            literal += exponent;
        } else {
            in.rewind(mark);
        }
    }
    return decimalLiteralValue(literal);
}

} // namespace ConditionMatcher
