#pragma once

#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "platform/platformerror.h"
#include "setup/installform.h"
#include "shell/errorlog.h"
#include "shell/programenvironment.h"
#include "shell/recordingscreen.h"

#include <functional>
#include <memory>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A lab file built from a scenario in a private temporary folder, opened as the platform.
class TestLab
{
    QTemporaryDir m_dir;
    QString m_path;

public:
    explicit TestLab(const lab::Scenario &scenario = {},
                     const QString &name = QStringLiteral("lab.sqlite"))
        : m_path(m_dir.filePath(name))
    {
        lab::createLab(m_path, scenario);
        platform = lab::openLab(m_path);
    }

    const QString &path() const { return m_path; }

    std::unique_ptr<platform::Platform> platform;
};

// A test lab with what every subsystem is built from: the program environment (nothing
// discovered yet), a screen and an error log. A subsystem's test adds that subsystem alone.
template<typename ScreenType = RecordingScreen> class EnvironmentLab : public TestLab
{
public:
    explicit EnvironmentLab(const lab::Scenario &scenario = {}, const QString &commandLine = {})
        : TestLab(scenario), environment(*platform, commandLine)
    {
    }

    ScreenType screen;
    ProgramEnvironment environment;
    TextBoxModel errorLogEdit{QStringLiteral("errorLogEdit")};
    ErrorLog errorLog{errorLogEdit};
};

// A test lab with the main window's model on it. The GUI tests pass the real screen.
template<typename ScreenType = RecordingScreen> class LabFixture : public TestLab
{
public:
    explicit LabFixture(const lab::Scenario &scenario = {}, const QString &commandLine = {})
        : TestLab(scenario), form(*platform, screen, commandLine)
    {
    }

    ScreenType screen;
    InstallForm form;
};

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

// A private current folder while the object lives, holding Kestrelon.dll when given its bytes.
class LibraryFolder
{
    QString m_previous = QDir::currentPath();

public:
    explicit LibraryFolder(const QByteArray &library = {})
    {
        QDir::setCurrent(folder.path());
        if (!library.isNull())
            writeAll(folder.filePath(QStringLiteral("Kestrelon.dll")), library);
    }
    ~LibraryFolder() { QDir::setCurrent(m_previous); }

    QTemporaryDir folder;
};
