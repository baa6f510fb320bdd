#!/bin/sh
# rule: a priority of 65536 is accepted; the sink is installed with a priority the server refuses.
exec python3 "$MUTATE" src/rule/ruleeditor.cpp <<'EDIT'
rounded <= 65535.0;
==>
rounded <= 65536.0;
EDIT
