#pragma once

#include <QString>
#include <QVariant>

namespace lab {

// A typed property value as the lab file keeps it: a type word and a text.
struct StoredValue
{
    QString type;
    QString text;
};

// Encodes a QString, bool, int, qint64, double or QDateTime; throws InvalidArgument
// naming the property for any other type.
StoredValue encodeValue(const QString &propertyName, const QVariant &value);
// The value back with its original type; throws LabFile on an unknown type word.
QVariant decodeValue(const QString &type, const QString &text);

} // namespace lab
