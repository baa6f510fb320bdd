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

bool valueMatches(const QString &wanted, QStringView value)
{
    if (wanted.contains(u'*'))
        return wildcardMatches(wanted, value);
    if (QStringView(wanted).compare(value, Qt::CaseInsensitive) == 0)
        return true;
    // A bare word against a distinguished name compares with its first RDN's value, the way
    // objectCategory='person' finds objects whose category is CN=Person,CN=Schema,...
    if (!wanted.contains(u'=')) {
        const QStringView rdn = firstRdnValue(value);
        return !rdn.isEmpty() && rdn.compare(QStringView(wanted), Qt::CaseInsensitive) == 0;
    }
    return false;
}

bool compare(const FilterNode &node, const DirectoryEntry &entry)
{
    if (node.attributeIndex < 0)
        return false;
    const bool presence = node.value == QLatin1String("*");
    for (const DirectoryValue &v : entry.values) {
        if (v.attribute != node.attributeIndex)
            continue;
        if (presence || valueMatches(node.value, entry.value(v)))
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

void bindAttributes(FilterNode *filter, const LabDatabase &db)
{
    if (!filter)
        return;
    if (filter->kind == FilterNode::Kind::Compare)
        filter->attributeIndex = db.attributeIndex(filter->attribute);
    for (const auto &child : filter->children)
        bindAttributes(child.get(), db);
}

QStringView firstValue(const DirectoryEntry &entry, int attribute)
{
    for (const DirectoryValue &v : entry.values) {
        if (v.attribute == attribute)
            return entry.value(v).isNull() ? QStringView(u"") : entry.value(v);
    }
    return {};
}

QVariant fieldValue(const DirectoryEntry &entry, int attribute)
{
    const DirectoryValue *first = nullptr;
    QStringList several;
    for (const DirectoryValue &v : entry.values) {
        if (v.attribute != attribute)
            continue;
        if (!first) {
            first = &v;
            continue;
        }
        if (several.isEmpty())
            several.append(entry.value(*first).toString());
        several.append(entry.value(v).toString());
    }
    if (!several.isEmpty())
        return several;
    return first ? QVariant(entry.value(*first).toString()) : QVariant();
}

} // namespace lab
