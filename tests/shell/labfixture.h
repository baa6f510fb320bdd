#pragma once

#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"
#include "setup/installform.h"
#include "shell/recordingscreen.h"

#include <memory>
#include <QTemporaryDir>

// A lab file built from a scenario in a private temporary folder, opened as the platform,
// and the main window's model on it. The GUI tests pass the real screen.
template<typename ScreenType = RecordingScreen> class LabFixture
{
    QTemporaryDir m_dir;

    std::unique_ptr<platform::Platform> openLab(const lab::Scenario &scenario)
    {
        const QString path = m_dir.filePath(QStringLiteral("lab.sqlite"));
        lab::createLab(path, scenario);
        return lab::openLab(path);
    }

public:
    explicit LabFixture(const lab::Scenario &scenario = {}, const QString &commandLine = {})
        : platform(openLab(scenario)), form(*platform, screen, commandLine)
    {
    }

    std::unique_ptr<platform::Platform> platform;
    ScreenType screen;
    InstallForm form;
};
