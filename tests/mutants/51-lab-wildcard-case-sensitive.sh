#!/bin/sh
# platform/lab: a directory pattern such as mailNickName='systemmailbox{*' compares letter case; the stores are missed.
exec python3 "$MUTATE" src/platform/lab/directoryfilter.cpp <<'EDIT'
if (!text.startsWith(parts.first(), Qt::CaseInsensitive))
==>
if (!text.startsWith(parts.first()))
EDIT
