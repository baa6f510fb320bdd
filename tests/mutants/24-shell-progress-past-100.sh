#!/bin/sh
# shell: a walk that takes more steps than announced pushes the progress bar past 100%.
exec python3 "$MUTATE" src/shell/progress.cpp <<'EDIT'
if (box.scaleWidth() < count)
==>
if (false)
EDIT
