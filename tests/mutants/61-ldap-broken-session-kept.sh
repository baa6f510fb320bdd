#!/bin/sh
# platform/ldap: a connection lost once stays lost; the program needs a restart after the directory server comes back.
exec python3 "$MUTATE" src/platform/ldap/ldapdirectory.cpp <<'EDIT'
if (m_session->isBroken())
        m_session = std::make_shared<LdapSession>(m_settings, m_hooks);
==>
EDIT
