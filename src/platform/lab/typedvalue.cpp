#include "platform/lab/typedvalue.h"

#include "platform/lab/laberrors.h"

#include <QDateTime>

namespace lab {

StoredValue encodeValue(const QString &propertyName, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return {QStringLiteral("string"), value.toString()};
    case QMetaType::Bool:
        return {QStringLiteral("bool"),
                value.toBool() ? QStringLiteral("true") : QStringLiteral("false")};
    case QMetaType::Int:
        return {QStringLiteral("int"), QString::number(value.toInt())};
    case QMetaType::LongLong:
        return {QStringLiteral("int64"), QString::number(value.toLongLong())};
    case QMetaType::Double:
        return {QStringLiteral("double"), QString::number(value.toDouble(), 'g', 17)};
    case QMetaType::QDateTime:
        return {QStringLiteral("datetime"), value.toDateTime().toUTC().toString(Qt::ISODateWithMs)};
    default:
        fail(platform::error::InvalidArgument,
             QStringLiteral("Property \"%1\": values of type %2 cannot be stored "
                            "(use text, bool, integer, double or date-time)")
                 .arg(propertyName,
                      QString::fromLatin1(value.typeName() ? value.typeName() : "null")));
    }
}

QVariant decodeValue(const QString &type, const QString &text)
{
    if (type == QLatin1String("string"))
        return text;
    if (type == QLatin1String("bool"))
        return text == QLatin1String("true");
    if (type == QLatin1String("int"))
        return text.toInt();
    if (type == QLatin1String("int64"))
        return text.toLongLong();
    if (type == QLatin1String("double"))
        return text.toDouble();
    if (type == QLatin1String("datetime"))
        return QDateTime::fromString(text, Qt::ISODateWithMs);
    fail(platform::error::LabFile,
         QStringLiteral("Unknown property type \"%1\" in the lab file").arg(type));
}

} // namespace lab
