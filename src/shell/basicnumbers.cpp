#include "shell/basicnumbers.h"

#include <cmath>
#include <limits>
#include <QLocale>
#include <QStringList>

namespace BasicNumbers {

platform::PlatformError overflow()
{
    return platform::PlatformError(OverflowNumber, QStringLiteral("Overflow"));
}

namespace {

platform::PlatformError typeMismatch()
{
    return platform::PlatformError(TypeMismatchNumber, QStringLiteral("Type mismatch"));
}

bool severalValues(const QVariant &field)
{
    return field.typeId() == QMetaType::QStringList || field.typeId() == QMetaType::QVariantList;
}

} // namespace

double roundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    if (fraction < 0.5)
        return floor;
    if (fraction > 0.5)
        return floor + 1;
    return std::fmod(floor, 2) == 0 ? floor : floor + 1;
}

qint32 toLong(double value)
{
    const double rounded = roundHalfEven(value);
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        throw overflow();
    return qint32(rounded);
}

qint32 addLong(qint32 a, qint32 b)
{
    qint32 sum = 0;
    if (qAddOverflow(a, b, &sum))
        throw overflow();
    return sum;
}

double divide(double a, double b)
{
    if (b == 0) {
        if (a == 0)
            throw overflow();
        throw platform::PlatformError(DivisionByZeroNumber, QStringLiteral("Division by zero"));
    }
    return a / b;
}

qint64 integerDivide(double a, double b)
{
    const double divisor = roundHalfEven(b);
    if (divisor == 0)
        throw platform::PlatformError(DivisionByZeroNumber, QStringLiteral("Division by zero"));
    return qint64(roundHalfEven(a)) / qint64(divisor);
}

QString textOf(const QVariant &field)
{
    if (severalValues(field))
        throw typeMismatch();
    return field.isNull() ? QString() : field.toString();
}

qint32 longOf(const QVariant &field)
{
    if (field.isNull())
        throw platform::PlatformError(InvalidUseOfNullNumber,
                                      QStringLiteral("Invalid use of Null"));
    if (severalValues(field))
        throw typeMismatch();
    bool ok = false;
    const double value = field.typeId() == QMetaType::QString
                             ? QLocale::c().toDouble(field.toString().trimmed(), &ok)
                             : field.toDouble(&ok);
    if (!ok)
        throw typeMismatch();
    return toLong(value);
}

} // namespace BasicNumbers
