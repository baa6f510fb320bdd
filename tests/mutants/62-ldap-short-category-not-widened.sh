#!/bin/sh
# platform/ldap: objectcategory='person' is sent only as written; on OpenLDAP, where the category is a full name, no mailbox is found.
exec python3 "$MUTATE" src/platform/ldap/ldapfilter.cpp <<'EDIT'
!node.value.contains(u'=') && !categories.schemaNamingContext.isEmpty();
==>
false;
EDIT
