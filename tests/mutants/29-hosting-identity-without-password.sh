#!/bin/sh
# hosting: the identity is saved without a password; the sink's application cannot start under that account.
exec python3 "$MUTATE" src/hosting/sinkhosting.cpp <<'EDIT'
if (!account.isEmpty() && !trimSpaces(password).isEmpty()) {
==>
if (!account.isEmpty()) {
EDIT
