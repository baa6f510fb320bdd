#pragma once

// The few helpers every platform test file needs besides its test lab.

#include "platform/platformerror.h"
#include "support/labfixture.h"

#include <functional>
#include <QFile>

inline const QString fileRoot =
    QStringLiteral("file://./backofficestorage/corp.example.local/mbx/");
inline const QString httpRoot =
    QStringLiteral("http://exch01.corp.example.local/exadmin/corp.example.local/mbx/");

// The error an operation throws, or an error of number 0 with an empty description.
inline platform::PlatformError failureOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const platform::PlatformError &e) {
        return e;
    }
    return platform::PlatformError(0, QString());
}

// The number of the error an operation throws; 0 when it succeeds.
inline qint32 errorOf(const std::function<void()> &operation)
{
    return failureOf(operation).number;
}

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}
