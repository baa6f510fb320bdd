// libFuzzer target: loadSinkConfiguration on any stored text, then a build of the result.
#include "fuzzinput.h"
#include "rule/sinkconfiguration.h"
#include "shell/recordingscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    RecordingScreen screen;
    RuleEditor editor(screen);
    editor.editorReady = size % 2 == 1;
    loadSinkConfiguration(editor, fuzzText(data, size));
    if (editor.priorityEdit.text().isEmpty() || editor.priorityGuard)
        __builtin_trap();
    for (const RuleRow &row : editor.rows) {
        if (row.actionList.topIndex() < 0 || row.actionList.topIndex() > 3 ||
            row.actionList.selectedCount() != 0)
            __builtin_trap();
    }
    buildSinkConfiguration(editor, QStringLiteral("fuzz"));
    return 0;
}
