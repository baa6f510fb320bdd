// libFuzzer target: LoadSinkConfiguration on any stored text, then a build of the result.
#include "fuzzinput.h"
#include "rule/sinkconfiguration.h"
#include "shell/recordingscreen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    RecordingScreen screen;
    RuleEditor editor(screen);
    editor.editorReady = size % 2 == 1;
    LoadSinkConfiguration(editor, fuzzText(data, size));
    if (editor.txtPriority.text().isEmpty() || editor.priorityGuard)
        __builtin_trap();
    for (const RuleRow &row : editor.rows) {
        if (row.List1.topIndex() < 0 || row.List1.topIndex() > 3 || row.List1.selectedCount() != 0)
            __builtin_trap();
    }
    BuildSinkConfiguration(editor, QStringLiteral("fuzz"));
    return 0;
}
