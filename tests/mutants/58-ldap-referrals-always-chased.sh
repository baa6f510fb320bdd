#!/bin/sh
# platform/ldap: referrals are followed although the query asked not to; rows from another naming context appear.
exec python3 "$MUTATE" src/platform/ldap/searchoptions.cpp <<'EDIT'
options.chaseReferrals = count(name, value, 0x7fffffff) != 0;
==>
options.chaseReferrals = true;
EDIT
