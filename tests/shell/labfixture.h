#pragma once

#include "platform/lab/labfile.h"
#include "platform/lab/labscenario.h"

#include <memory>
#include <QTemporaryDir>
#include <QTest>

// A lab file built from a scenario in a private temporary folder, opened as the platform.
class LabFixture
{
public:
    explicit LabFixture(const lab::Scenario &scenario)
    {
        m_path = m_dir.filePath(QStringLiteral("lab.sqlite"));
        lab::createLab(m_path, scenario);
        platform = lab::openLab(m_path);
    }

    const QString &path() const { return m_path; }

    std::unique_ptr<platform::Platform> platform;

private:
    QTemporaryDir m_dir;
    QString m_path;
};
