#!/bin/sh
# ui: the picker's sort arrow points the wrong way after a click.
exec python3 "$MUTATE" src/ui/sortindicator.cpp <<'EDIT'
sortOrder == 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
==>
sortOrder == 0 ? Qt::DescendingOrder : Qt::AscendingOrder);
EDIT
