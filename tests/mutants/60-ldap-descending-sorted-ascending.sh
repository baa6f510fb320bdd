#!/bin/sh
# platform/ldap: ORDER BY ... DESC sorted by the program comes out ascending.
exec python3 "$MUTATE" src/platform/ldap/ldaprowset.cpp <<'EDIT'
return m_request.descending ? lab::directoryKeyLess(b.sortKey, a.sortKey)
                                    : lab::directoryKeyLess(a.sortKey, b.sortKey);
==>
return lab::directoryKeyLess(a.sortKey, b.sortKey);
EDIT
