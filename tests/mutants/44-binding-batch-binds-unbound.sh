#!/bin/sh
# binding: a batch run binds the unbound mailboxes instead of rewriting the bound ones.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
const ListBoxModel &registerList = m_environment.batchMode ? boundList : unboundList;
==>
const ListBoxModel &registerList = unboundList;
EDIT
