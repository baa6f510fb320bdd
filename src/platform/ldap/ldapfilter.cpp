#include "platform/ldap/ldapfilter.h"

#include "platform/platformerror.h"

#include <ldap.h>
#include <QRegularExpression>

namespace ldapbackend {

namespace {

QByteArray comparison(const lab::FilterNode &node, const CategoryNaming &categories)
{
    if (!isAttributeDescription(node.attribute))
        throw platform::PlatformError(
            platform::error::QuerySyntax,
            QStringLiteral("Directory query: \"%1\" is not an attribute name").arg(node.attribute));
    const QByteArray attribute = node.attribute.toUtf8();
    if (node.value.contains(u'*')) {
        QByteArray pattern;
        const QStringList pieces = node.value.split(u'*');
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            // Runs of '*' are one wildcard; "**" is presence, as "*" is.
            if (i > 0 && !pattern.endsWith('*'))
                pattern += '*';
            pattern += escapedFilterValue(pieces[i]);
        }
        return '(' + attribute + '=' + (pattern.isEmpty() ? QByteArray("*") : pattern) + ')';
    }
    const QByteArray equality = '(' + attribute + '=' + escapedFilterValue(node.value) + ')';
    const bool shortCategory =
        node.attribute.compare(QLatin1String("objectCategory"), Qt::CaseInsensitive) == 0 &&
        !node.value.contains(u'=') && !categories.schemaNamingContext.isEmpty();
    if (!shortCategory)
        return equality;
    const QString fullName =
        QStringLiteral("CN=%1,%2").arg(node.value, categories.schemaNamingContext);
    return "(|" + equality + '(' + attribute + '=' + escapedFilterValue(fullName) + "))";
}

} // namespace

QByteArray ldapFilter(const lab::FilterNode *filter, const CategoryNaming &categories)
{
    if (!filter)
        return QByteArrayLiteral("(objectClass=*)");
    if (filter->kind == lab::FilterNode::Kind::Compare)
        return comparison(*filter, categories);
    QByteArray text = filter->kind == lab::FilterNode::Kind::And ? "(&" : "(|";
    for (const auto &child : filter->children)
        text += ldapFilter(child.get(), categories);
    return text + ')';
}

bool isAttributeDescription(const QString &name)
{
    static const QRegularExpression description(
        QStringLiteral("^(?:[A-Za-z][A-Za-z0-9-]*|[0-9]+(?:\\.[0-9]+)*)(?:;[A-Za-z0-9-]+)*$"));
    return description.match(name).hasMatch();
}

QByteArray escapedFilterValue(const QString &value)
{
    QByteArray utf8 = value.toUtf8();
    berval in{ber_len_t(utf8.size()), utf8.data()};
    berval out{0, nullptr};
    if (ldap_bv2escaped_filter_value(&in, &out) != LDAP_SUCCESS)
        throw platform::PlatformError(
            platform::error::InvalidArgument,
            QStringLiteral("Directory query: cannot escape the value \"%1\"").arg(value));
    const QByteArray escaped(out.bv_val, qsizetype(out.bv_len));
    ber_memfree(out.bv_val);
    return escaped;
}

} // namespace ldapbackend
