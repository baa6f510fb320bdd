#!/bin/sh
# binding: unbinding goes on through every URL after the item was deleted; failures are logged for a mailbox that was unbound.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
if (RegistrationItems::deleteRegistrationItem(
                        attempt.url, folder, itemName, attempt.logFailure, m_platform, errorLog))
                    break;
==>
RegistrationItems::deleteRegistrationItem(attempt.url, folder, itemName, attempt.logFailure,
                                                          m_platform, errorLog);
EDIT
