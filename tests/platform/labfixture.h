#pragma once

// Creates lab files from scenarios in a temporary folder for the platform tests.

#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"

#include <memory>
#include <QTemporaryDir>

class LabFixture
{
public:
    explicit LabFixture(const lab::Scenario &scenario,
                        const QString &name = QStringLiteral("lab.sqlite"))
        : m_path(m_dir.filePath(name))
    {
        lab::createLab(m_path, scenario);
        platform = lab::openLab(m_path);
    }

    const QString &path() const { return m_path; }

    std::unique_ptr<platform::Platform> platform;

private:
    QTemporaryDir m_dir;
    QString m_path;
};
