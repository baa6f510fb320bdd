#pragma once

#include "binding/applyjournal.h"

#include <QSaveFile>
#include <QString>

// The file a run's JSON report goes to. It is opened as a temporary file beside its name
// before the run changes anything, and renamed over the name only when it is complete, so
// a monitor never reads half a report and a bad name stops the run before it starts.
class ReportFile
{
public:
    explicit ReportFile(const QString &path);

    // Empty when the file can be written; else why not, naming the file.
    QString open();
    // Writes the journal's report and puts it in place; empty on success, else why not.
    QString commit(const ApplyJournal &journal, const QString &program);

private:
    QString m_path;
    QSaveFile m_file;
};
