#!/bin/sh
# platform/ldap: a value with ")" or "*" goes into the filter unescaped; a crafted name widens a search to the whole directory.
exec python3 "$MUTATE" src/platform/ldap/ldapfilter.cpp <<'EDIT'
const QByteArray equality = '(' + attribute + '=' + escapedFilterValue(node.value) + ')';
==>
const QByteArray equality = '(' + attribute + '=' + node.value.toUtf8() + ')';
EDIT
