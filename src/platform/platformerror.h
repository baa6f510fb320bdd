#pragma once

#include <exception>
#include <QString>

namespace platform {

// The one failure every platform operation raises: a number and a description.
struct PlatformError : std::exception
{
    PlatformError(qint32 number, QString description)
        : number(number), description(std::move(description))
    {
    }

    const char *what() const noexcept override;

    qint32 number;
    QString description;
};

// The error numbers the program raises and tests for. A failed platform call keeps its
// own negative code; a cause the platform has no code for gets a positive number of ours.
namespace error {
inline constexpr qint32 QuerySyntax = static_cast<qint32>(0x80040E14u); // malformed command text
inline constexpr qint32 ObjectNotFound =
    static_cast<qint32>(0x80040E19u);           // store: no such folder or item
inline constexpr qint32 NotOpen = 3704;         // operation on a closed object
inline constexpr qint32 ItemNotFound = 3265;    // field or collection item missing
inline constexpr qint32 InvalidArgument = 3001; // arguments of the wrong type or out of range
inline constexpr qint32 LabFile = 1001;         // the lab file is missing, corrupt or foreign
inline constexpr qint32 LabIo = 1002;           // the lab file could not be read or written
inline constexpr qint32 NotInDomain =
    static_cast<qint32>(0x8007054Bu); // no domain controller could be contacted
inline constexpr qint32 ServerUnreachable =
    static_cast<qint32>(0x8007203Au); // the server is not operational
inline constexpr qint32 AccessDenied = static_cast<qint32>(0x80070005u);
inline constexpr qint32 MalformedAnswer = 1003; // a server answered with something unreadable

inline constexpr qint32 ProviderNotFound = 3706; // a data provider is not installed
} // namespace error

} // namespace platform
