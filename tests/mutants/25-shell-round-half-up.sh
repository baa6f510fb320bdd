#!/bin/sh
# shell: halves round up instead of to even; the progress box shows 13% where it showed 12%.
exec python3 "$MUTATE" src/shell/basicnumbers.cpp <<'EDIT'
return std::fmod(floor, 2) == 0 ? floor : floor + 1;
==>
return floor + 1;
EDIT
