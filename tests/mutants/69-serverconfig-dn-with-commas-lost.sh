#!/bin/sh
# platform/serverconfig.cpp: an unquoted value with commas, such as a bind DN, reads as empty; the program binds anonymously or refuses a good file.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
const QString joined = value.typeId() == QMetaType::QStringList
                                   ? value.toStringList().join(u',')
                                   : value.toString();
==>
const QString joined = value.toString();
EDIT
