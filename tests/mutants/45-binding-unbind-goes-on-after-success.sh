#!/bin/sh
# binding: unbinding goes on through every URL after the item was deleted; failures are logged for a mailbox that was unbound.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
pass.writer.deleteItem(attempt.url, folder, itemName, attempt.logFailure);
                done = !failure;
==>
pass.writer.deleteItem(attempt.url, folder, itemName, attempt.logFailure);
EDIT
