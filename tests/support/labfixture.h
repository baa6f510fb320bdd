#pragma once

#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"

#include <memory>
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
