#!/bin/sh
# rule: the SCL check lets 10 pass without a warning; the sink writes an SCL the server rejects.
exec python3 "$MUTATE" src/rule/ruleeditor.cpp <<'EDIT'
valid = rounded >= -1 && rounded <= 9;
==>
valid = rounded >= -1 && rounded <= 10;
EDIT
