#!/bin/sh
# platform/serverconfig.cpp: relative paths are taken from the current folder, not the INI file's; the lab or password file is not found.
exec python3 "$MUTATE" src/platform/serverconfig.cpp <<'EDIT'
const QString absolute = m_folder.absoluteFilePath(value);
==>
const QString absolute = QFileInfo(value).absoluteFilePath();
EDIT
