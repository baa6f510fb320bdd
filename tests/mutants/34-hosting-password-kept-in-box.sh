#!/bin/sh
# hosting: the typed password stays in its box after a refresh.
exec python3 "$MUTATE" src/hosting/installstate.cpp <<'EDIT'
passwordEdit.setText(QString());
    passwordEdit.setEnabled(installable);
==>
passwordEdit.setEnabled(installable);
EDIT
