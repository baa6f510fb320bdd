#!/bin/sh
# binding: the report records every attempt as done; a mailbox whose binding failed is reported as rewritten.
exec python3 "$MUTATE" src/binding/apply.cpp <<'EDIT'
if (!failure)
        return {create, url, ApplyJournal::Outcome::Done, 0, QString()};
==>
return {create, url, ApplyJournal::Outcome::Done, 0, QString()};
EDIT
