#pragma once

// Keeps the toolkit's own warnings (a headless platform's complaints, font and theme
// notes) off standard error, where a batch run's output must be the program's own; the
// program's logging categories ("kestrelon.*"), when switched on, still come through.
void keepOnlyProgramMessages();
