#!/bin/sh
# platform/ldap: an OR in a directory query is sent as AND; the recipient picker on a real directory stays empty.
exec python3 "$MUTATE" src/platform/ldap/ldapfilter.cpp <<'EDIT'
QByteArray text = filter->kind == lab::FilterNode::Kind::And ? "(&" : "(|";
==>
QByteArray text = "(&";
EDIT
