#!/bin/sh
# hosting: uninstall finds the application only in its exact letter case; "KESTRELON" stays installed.
exec python3 "$MUTATE" src/hosting/sinkhosting.cpp <<'EDIT'
if (application && application->name().compare(appName, Qt::CaseInsensitive) == 0)
==>
if (application && application->name() == appName)
EDIT
