#!/bin/sh
# recipients: disabled users show with an ordinary user's icon in the picker.
exec python3 "$MUTATE" src/recipients/recipiententry.cpp <<'EDIT'
? RecipientKind::DisabledUser
==>
? RecipientKind::User
EDIT
