#include "setup/reportfile.h"

#include "binding/applyreport.h"

#include <QDir>
#include <QFileInfo>

ReportFile::ReportFile(const QString &path) : m_path(path), m_file(path) {}

QString ReportFile::open()
{
    const QFileInfo info(m_path);
    if (m_path.isEmpty() || m_path.endsWith(QLatin1Char('/')) || info.isDir())
        return QStringLiteral("the report file \"%1\" names a folder").arg(m_path);
    if (!info.absoluteDir().exists())
        return QStringLiteral("the folder of the report file \"%1\" does not exist").arg(m_path);
    if (!m_file.open(QIODevice::WriteOnly))
        return QStringLiteral("the report file \"%1\" cannot be written: %2")
            .arg(m_path, m_file.errorString());
    return QString();
}

QString ReportFile::commit(const ApplyJournal &journal, const QString &program)
{
    if (!ApplyReport::write(journal, program, m_file) || !m_file.commit())
        return QStringLiteral("the report file \"%1\" could not be written: %2")
            .arg(m_path, m_file.errorString());
    return QString();
}
