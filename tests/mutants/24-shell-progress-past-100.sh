#!/bin/sh
# shell: a walk that takes more steps than announced pushes the progress bar past 100%.
exec python3 "$MUTATE" src/setup/installform.cpp <<'EDIT'
if (box.scaleWidth() < globals.progressCount)
==>
if (false)
EDIT
