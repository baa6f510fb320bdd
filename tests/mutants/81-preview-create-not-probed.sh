#!/bin/sh
# binding: the preview takes every bind as possible without asking the store; a mailbox no URL reaches is listed as bound.
exec python3 "$MUTATE" src/binding/bindingwriter.cpp <<'EDIT'
return probeWrite(m_platform, mailboxUrl, folder, QString());
==>
return std::nullopt;
EDIT
