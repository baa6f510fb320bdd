#include "platform/lab/directoryquery.h"

#include "platform/lab/laberrors.h"

namespace lab {

namespace {

struct Token
{
    enum class Kind { Word, String, Symbol, End };
    Kind kind = Kind::End;
    QString text;
    int position = 0; // 1-based
};

[[noreturn]] void syntaxError(const QString &query, int position, const QString &what)
{
    fail(platform::error::QuerySyntax,
         QStringLiteral("Directory query: %1 at character %2 of \"%3\"")
             .arg(what)
             .arg(position)
             .arg(query));
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u';' || c == u'*' ||
           c == u'{' || c == u'}';
}

std::vector<Token> tokenize(const QString &text)
{
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const int position = int(i) + 1;
        if (c == u'\'') {
            QString value;
            ++i;
            bool closed = false;
            while (i < text.size()) {
                if (text[i] == u'\'') {
                    if (i + 1 < text.size() && text[i + 1] == u'\'') {
                        value += u'\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += text[i++];
            }
            if (!closed)
                syntaxError(text, position, QStringLiteral("unbalanced quote"));
            tokens.push_back({Token::Kind::String, value, position});
        } else if (isWordChar(c)) {
            const qsizetype start = i;
            while (i < text.size() && isWordChar(text[i]))
                ++i;
            tokens.push_back({Token::Kind::Word, text.mid(start, i - start), position});
        } else if (c == u'<' || c == u'>' || c == u'!') {
            const qsizetype start = i++;
            if (i < text.size() && (text[i] == u'=' || text[i] == u'>'))
                ++i;
            tokens.push_back({Token::Kind::Symbol, text.mid(start, i - start), position});
        } else if (c == u'(' || c == u')' || c == u',' || c == u'=') {
            tokens.push_back({Token::Kind::Symbol, QString(c), position});
            ++i;
        } else {
            syntaxError(text, position, QStringLiteral("unexpected character '%1'").arg(c));
        }
    }
    tokens.push_back({Token::Kind::End, QString(), int(text.size()) + 1});
    return tokens;
}

const QStringList keywords = {QStringLiteral("SELECT"), QStringLiteral("FROM"),
                              QStringLiteral("WHERE"),  QStringLiteral("ORDER"),
                              QStringLiteral("BY"),     QStringLiteral("ASC"),
                              QStringLiteral("DESC"),   QStringLiteral("AND"),
                              QStringLiteral("OR"),     QStringLiteral("NOT")};

class Parser
{
public:
    explicit Parser(const QString &text) : m_text(text), m_tokens(tokenize(text)) {}

    DirectoryQuery parse()
    {
        DirectoryQuery query;
        if (!isKeyword(peek(), "SELECT")) {
            if (peek().kind == Token::Kind::Word)
                error(peek(),
                      QStringLiteral("unknown keyword '%1' (expected SELECT)").arg(peek().text));
            error(peek(), QStringLiteral("expected SELECT"));
        }
        next();
        query.attributes.append(attributeName(QStringLiteral("an attribute name after SELECT")));
        while (peek().kind == Token::Kind::Symbol && peek().text == QLatin1String(",")) {
            next();
            query.attributes.append(attributeName(QStringLiteral("an attribute name after ','")));
        }
        if (!isKeyword(peek(), "FROM"))
            error(peek(), QStringLiteral("missing FROM (found %1)").arg(describe(peek())));
        next();
        const Token from = next();
        if (from.kind != Token::Kind::String)
            error(from, QStringLiteral("expected the search base in quotes after FROM (found %1)")
                            .arg(describe(from)));
        if (!from.text.startsWith(QLatin1String("GC://"), Qt::CaseInsensitive) &&
            !from.text.startsWith(QLatin1String("LDAP://"), Qt::CaseInsensitive))
            error(from, QStringLiteral("the search base '%1' is not a GC:// path").arg(from.text));
        const QString rest = from.text.mid(from.text.indexOf(QLatin1String("//")) + 2);
        query.host = rest.section(u'/', 0, 0);
        query.base = rest.section(u'/', 1);
        query.hostPosition = from.position;
        if (query.host.isEmpty())
            error(from, QStringLiteral("the search base '%1' names no host").arg(from.text));
        if (isKeyword(peek(), "WHERE")) {
            next();
            query.filter = orExpression();
        }
        if (isKeyword(peek(), "ORDER")) {
            next();
            if (!isKeyword(peek(), "BY"))
                error(peek(),
                      QStringLiteral("expected BY after ORDER (found %1)").arg(describe(peek())));
            next();
            query.orderBy = attributeName(QStringLiteral("an attribute name after ORDER BY"));
            if (isKeyword(peek(), "ASC")) {
                next();
            } else if (isKeyword(peek(), "DESC")) {
                next();
                query.descending = true;
            }
        }
        if (peek().kind != Token::Kind::End) {
            if (peek().kind == Token::Kind::Symbol && peek().text == QLatin1String(")"))
                error(peek(), QStringLiteral("unbalanced parenthesis ')'"));
            error(peek(),
                  QStringLiteral("unexpected %1 after the end of the query").arg(describe(peek())));
        }
        return query;
    }

private:
    const Token &peek() const { return m_tokens[m_index]; }
    Token next() { return m_tokens[std::min(m_index++, m_tokens.size() - 1)]; }

    static bool isKeyword(const Token &token, const char *keyword)
    {
        return token.kind == Token::Kind::Word &&
               token.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
    }

    static QString describe(const Token &token)
    {
        switch (token.kind) {
        case Token::Kind::End:
            return QStringLiteral("the end of the text");
        case Token::Kind::String:
            return QStringLiteral("'%1'").arg(token.text);
        default:
            return QStringLiteral("\"%1\"").arg(token.text);
        }
    }

    [[noreturn]] void error(const Token &token, const QString &what) const
    {
        syntaxError(m_text, token.position, what);
    }

    QString attributeName(const QString &expected)
    {
        const Token token = next();
        if (token.kind != Token::Kind::Word || token.text.contains(u'*') ||
            keywords.contains(token.text, Qt::CaseInsensitive))
            error(token, QStringLiteral("expected %1 (found %2)").arg(expected, describe(token)));
        return token.text;
    }

    std::unique_ptr<FilterNode> orExpression()
    {
        auto left = andExpression();
        if (!isKeyword(peek(), "OR"))
            return left;
        auto node = std::make_unique<FilterNode>();
        node->kind = FilterNode::Kind::Or;
        node->children.push_back(std::move(left));
        while (isKeyword(peek(), "OR")) {
            next();
            node->children.push_back(andExpression());
        }
        return node;
    }

    std::unique_ptr<FilterNode> andExpression()
    {
        auto left = primary();
        if (!isKeyword(peek(), "AND"))
            return left;
        auto node = std::make_unique<FilterNode>();
        node->kind = FilterNode::Kind::And;
        node->children.push_back(std::move(left));
        while (isKeyword(peek(), "AND")) {
            next();
            node->children.push_back(primary());
        }
        return node;
    }

    std::unique_ptr<FilterNode> primary()
    {
        const Token token = next();
        if (token.kind == Token::Kind::Symbol && token.text == QLatin1String("(")) {
            auto inner = orExpression();
            const Token close = next();
            if (close.kind != Token::Kind::Symbol || close.text != QLatin1String(")"))
                error(close.kind == Token::Kind::End ? token : close,
                      close.kind == Token::Kind::End
                          ? QStringLiteral("unbalanced parenthesis '(' (never closed)")
                          : QStringLiteral("expected ')' (found %1)").arg(describe(close)));
            return inner;
        }
        if (token.kind != Token::Kind::Word || keywords.contains(token.text, Qt::CaseInsensitive))
            error(token, QStringLiteral("expected a condition (found %1)").arg(describe(token)));
        const Token op = next();
        if (op.kind != Token::Kind::Symbol || op.text != QLatin1String("=")) {
            if (op.kind == Token::Kind::Symbol &&
                (op.text.startsWith(u'<') || op.text.startsWith(u'>') || op.text.startsWith(u'!')))
                error(op, QStringLiteral("operator '%1' is not supported (only '=')").arg(op.text));
            error(op,
                  QStringLiteral("expected '=' after %1 (found %2)").arg(token.text, describe(op)));
        }
        const Token value = next();
        if (value.kind != Token::Kind::String &&
            (value.kind != Token::Kind::Word || keywords.contains(value.text, Qt::CaseInsensitive)))
            error(value,
                  QStringLiteral("expected a value after '=' (found %1)").arg(describe(value)));
        auto node = std::make_unique<FilterNode>();
        node->attribute = token.text;
        node->value = value.text;
        return node;
    }

    QString m_text;
    std::vector<Token> m_tokens;
    size_t m_index = 0;
};

} // namespace

DirectoryQuery parseDirectoryQuery(const QString &text)
{
    return Parser(text).parse();
}

} // namespace lab
