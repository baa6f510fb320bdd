#!/bin/sh
# hosting: "Uninstall" can be ticked although nothing is installed.
exec python3 "$MUTATE" src/hosting/installstate.cpp <<'EDIT'
uninstallSinkCheck.setEnabled(installed);
==>
uninstallSinkCheck.setEnabled(true);
EDIT
