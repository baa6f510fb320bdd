#include "platform/lab/directoryfilter.h"

namespace lab {

namespace {

// '*' stands for any run of characters; everything else compares ignoring case.
bool wildcardMatches(QStringView pattern, QStringView text)
{
    const auto parts = pattern.split(u'*');
    if (parts.size() == 1)
        return pattern.compare(text, Qt::CaseInsensitive) == 0;
    if (!text.startsWith(parts.first(), Qt::CaseInsensitive))
        return false;
    qsizetype at = parts.first().size();
    for (qsizetype i = 1; i + 1 < parts.size(); ++i) {
        if (parts[i].isEmpty())
            continue;
        const qsizetype found = text.indexOf(parts[i], at, Qt::CaseInsensitive);
        if (found < 0)
            return false;
        at = found + parts[i].size();
    }
    return text.size() - at >= parts.last().size() &&
           text.endsWith(parts.last(), Qt::CaseInsensitive);
}

bool valueMatches(const QString &wanted, const QString &value)
{
    if (wanted.contains(u'*'))
        return wildcardMatches(wanted, value);
    if (wanted.compare(value, Qt::CaseInsensitive) == 0)
        return true;
    // A bare word against a distinguished name compares with its first RDN's value, the way
    // objectCategory='person' finds objects whose category is CN=Person,CN=Schema,...
    if (!wanted.contains(u'=')) {
        const QString rdn = firstRdnValue(value);
        return !rdn.isEmpty() && rdn.compare(wanted, Qt::CaseInsensitive) == 0;
    }
    return false;
}

bool compare(const FilterNode &node, const DirectoryEntry &entry)
{
    const QString &key = node.attributeKey;
    const bool presence = node.value == QLatin1String("*");
    for (const DirectoryValue &v : entry.values) {
        if (v.key != key)
            continue;
        if (presence || valueMatches(node.value, v.value))
            return true;
    }
    return false;
}

} // namespace

bool matchesFilter(const FilterNode *filter, const DirectoryEntry &entry)
{
    if (!filter)
        return true;
    switch (filter->kind) {
    case FilterNode::Kind::Compare:
        return compare(*filter, entry);
    case FilterNode::Kind::And:
        for (const auto &child : filter->children) {
            if (!matchesFilter(child.get(), entry))
                return false;
        }
        return true;
    case FilterNode::Kind::Or:
        for (const auto &child : filter->children) {
            if (matchesFilter(child.get(), entry))
                return true;
        }
        return false;
    }
    return false;
}

QStringList attributeValues(const DirectoryEntry &entry, const QString &attribute)
{
    const QString key = attribute.toCaseFolded();
    QStringList values;
    for (const DirectoryValue &v : entry.values) {
        if (v.key == key)
            values.append(v.value);
    }
    return values;
}

} // namespace lab
