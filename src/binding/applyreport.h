#pragma once

#include "binding/applyjournal.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

// What an apply's account becomes for people and for monitors: the preview's listing and
// the JSON report (its format is in docs/report-format.md).
namespace ApplyReport {

// Raised when a field is added or changes meaning, so a monitor can tell which it reads.
inline constexpr int FormatVersion = 1;

// Writes the report as UTF-8 JSON to device; program is "kestrelon-setup <version>".
// False when the device refused some of it.
bool write(const ApplyJournal &journal, const QString &program, QIODevice &device);

// One line per planned change (the sink, then each entry with the URL it goes through, or
// why it cannot), then the summary; LF line ends.
QString planText(const ApplyJournal &journal);

} // namespace ApplyReport
