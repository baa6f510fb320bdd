#!/bin/sh
# platform/lab: a size limit returns one row more than asked; the lab's lists disagree with a real directory's.
exec python3 "$MUTATE" src/platform/lab/labdirectory.cpp <<'EDIT'
if (limit > 0 && matches.size() > limit)
        matches.resize(limit);
==>
if (limit > 0 && matches.size() > limit + 1)
        matches.resize(limit + 1);
EDIT
