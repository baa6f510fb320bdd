#!/bin/sh
# recipients: system mailboxes appear in the picker as forward targets.
exec python3 "$MUTATE" src/recipients/recipientquery.cpp <<'EDIT'
if (MailboxEntry::isSystemMailboxAlias(
            singleText(rows, QStringLiteral("mailNickName")).value_or(QString())))
        return std::nullopt;
==>
EDIT
