#pragma once

#include "platform/platform.h"
#include "platform/platformerror.h"
#include "shell/errorlog.h"

#include <optional>
#include <QString>

// The steps of an apply that change the server, behind one interface so that the same
// passes either make the changes or only plan them (a preview). Each returns the store's
// or catalog's error, or nothing on success.
class BindingWriter
{
public:
    virtual ~BindingWriter() = default;

    virtual std::optional<platform::PlatformError> installSink(const QString &appName,
                                                               const QString &identity,
                                                               const QString &password,
                                                               const QString &configuration) = 0;
    virtual std::optional<platform::PlatformError> uninstallSink(const QString &appName) = 0;
    // The registration item, as RegistrationItems writes and deletes it.
    virtual std::optional<platform::PlatformError>
    createItem(const QString &mailboxUrl, const QString &folder, const QString &itemName,
               const QString &matchScope, const QString &priority, bool logFailure) = 0;
    virtual std::optional<platform::PlatformError> deleteItem(const QString &mailboxUrl,
                                                              const QString &folder,
                                                              const QString &itemName,
                                                              bool logFailure) = 0;
    // Whether the server is left as it was.
    virtual bool isPlan() const = 0;
};

// Makes the changes: the catalog and the store are written, failures go to the error log
// where the attempt tables say so.
class ServerBindingWriter : public BindingWriter
{
public:
    // sinkClass: the class the store is to call, written into every item.
    ServerBindingWriter(platform::Platform &platform, ErrorLog &errorLog, QString sinkClass)
        : m_platform(platform), m_errorLog(errorLog), m_sinkClass(std::move(sinkClass))
    {
    }

    std::optional<platform::PlatformError> installSink(const QString &appName,
                                                       const QString &identity,
                                                       const QString &password,
                                                       const QString &configuration) override;
    std::optional<platform::PlatformError> uninstallSink(const QString &appName) override;
    std::optional<platform::PlatformError>
    createItem(const QString &mailboxUrl, const QString &folder, const QString &itemName,
               const QString &matchScope, const QString &priority, bool logFailure) override;
    std::optional<platform::PlatformError> deleteItem(const QString &mailboxUrl,
                                                      const QString &folder,
                                                      const QString &itemName,
                                                      bool logFailure) override;
    bool isPlan() const override { return false; }

private:
    platform::Platform &m_platform;
    ErrorLog &m_errorLog;
    QString m_sinkClass;
};

// Plans the changes: asks the store whether each mailbox, folder and item answers, as
// the write would find them, and writes nothing anywhere (not the error log either). The
// store's permissions are not asked: a write the account may not make shows as planned.
class PlanBindingWriter : public BindingWriter
{
public:
    explicit PlanBindingWriter(platform::Platform &platform) : m_platform(platform) {}

    std::optional<platform::PlatformError> installSink(const QString &, const QString &,
                                                       const QString &, const QString &) override
    {
        return std::nullopt;
    }
    std::optional<platform::PlatformError> uninstallSink(const QString &) override
    {
        return std::nullopt;
    }
    std::optional<platform::PlatformError>
    createItem(const QString &mailboxUrl, const QString &folder, const QString &itemName,
               const QString &matchScope, const QString &priority, bool logFailure) override;
    std::optional<platform::PlatformError> deleteItem(const QString &mailboxUrl,
                                                      const QString &folder,
                                                      const QString &itemName,
                                                      bool logFailure) override;
    bool isPlan() const override { return true; }

private:
    platform::Platform &m_platform;
};
