#pragma once

#include "rule/ruleeditor.h"

#include <optional>
#include <QString>

// The sink configuration string: the whole rule as the sink's construction string.
// Targets, CR, conditions, CR, priority; every target and condition ends with a TAB.

// Builds the string from the editor's rows, cleaning every looked-at target in place.
// A row whose condition is empty contributes nothing. Refuses (nothing) when a row with
// a condition lacks its target (a delete row needs none) or nothing would be written,
// after telling the user in a message box titled with the main window's caption.
std::optional<QString> buildSinkConfiguration(RuleEditor &editor, const QString &windowCaption);

// Puts a stored string back into the editor's rows and priority, filling defaults where
// nothing is stored. Accepts any text.
void loadSinkConfiguration(RuleEditor &editor, const QString &configuration);
