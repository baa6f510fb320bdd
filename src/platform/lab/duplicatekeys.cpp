#include "platform/lab/duplicatekeys.h"

#include <cctype>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

namespace lab {

namespace {

// A recursive walk over valid JSON; the JSON parser has already bounded its nesting.
class KeyWalk
{
public:
    explicit KeyWalk(const QByteArray &json) : m_text(json) {}

    QString run()
    {
        value(QString());
        return m_found;
    }

private:
    void skipSpace()
    {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }

    char next()
    {
        skipSpace();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }

    // A number, true, false or null.
    void skipWord()
    {
        while (m_at < m_text.size() &&
               (std::isalnum(static_cast<unsigned char>(m_text[m_at])) || m_text[m_at] == '+' ||
                m_text[m_at] == '-' || m_text[m_at] == '.'))
            ++m_at;
    }

    // Moves past the string at the cursor; returns it as written, quotes included.
    QByteArray skipString()
    {
        const qsizetype start = m_at++;
        while (m_at < m_text.size() && m_text[m_at] != '"')
            m_at += m_text[m_at] == '\\' ? 2 : 1;
        ++m_at;
        return m_text.mid(start, m_at - start);
    }

    // The key at the cursor, escapes resolved, so "a" and "\u0061" are the same key.
    QString key()
    {
        const QByteArray written = skipString();
        if (!written.contains('\\'))
            return QString::fromUtf8(written.mid(1, written.size() - 2));
        return QJsonDocument::fromJson('[' + written + ']').array().at(0).toString();
    }

    void value(const QString &path)
    {
        const char c = next();
        if (c == '{')
            object(path);
        else if (c == '[')
            array(path);
        else if (c == '"')
            skipString();
        else
            skipWord();
    }

    void object(const QString &path)
    {
        ++m_at;
        QSet<QString> keys;
        while (m_found.isNull() && next() == '"') {
            const QString name = key();
            const QString keyPath = path.isEmpty() ? name : path + u'.' + name;
            if (keys.contains(name)) {
                m_found = keyPath;
                return;
            }
            keys.insert(name);
            next();
            ++m_at; // the colon
            value(keyPath);
            if (next() == ',')
                ++m_at;
        }
        next();
        ++m_at; // the closing brace
    }

    void array(const QString &path)
    {
        ++m_at;
        for (int index = 0; m_found.isNull() && next() != ']' && m_at < m_text.size(); ++index) {
            value(QStringLiteral("%1[%2]").arg(path).arg(index));
            if (next() == ',')
                ++m_at;
        }
        ++m_at; // the closing bracket
    }

    const QByteArray &m_text;
    qsizetype m_at = 0;
    QString m_found;
};

} // namespace

QString firstDuplicateKey(const QByteArray &json)
{
    return KeyWalk(json).run();
}

} // namespace lab
