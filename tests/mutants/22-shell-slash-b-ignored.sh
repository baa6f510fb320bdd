#!/bin/sh
# shell: "/B" on the command line no longer starts batch mode; the scheduled rewrite opens a window and waits.
exec python3 "$MUTATE" src/shell/batchswitch.cpp <<'EDIT'
return start.compare(QLatin1String("-b"), Qt::CaseInsensitive) == 0 ||
           start.compare(QLatin1String("/b"), Qt::CaseInsensitive) == 0;
==>
return start.compare(QLatin1String("-b"), Qt::CaseInsensitive) == 0;
EDIT
