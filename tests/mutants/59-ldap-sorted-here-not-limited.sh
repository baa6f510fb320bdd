#!/bin/sh
# platform/ldap: rows sorted by the program are not cut to the size limit; more rows appear than the lab gives.
exec python3 "$MUTATE" src/platform/ldap/ldaprowset.cpp <<'EDIT'
if (m_request.sizeLimit > 0 && rows.size() > size_t(m_request.sizeLimit))
        rows.resize(size_t(m_request.sizeLimit));
==>
EDIT
