#!/bin/sh
# mailboxes: on a cluster node the virtual server's mailboxes are never found; the lists stay empty.
exec python3 "$MUTATE" src/mailboxes/mailboxenumeration.cpp <<'EDIT'
(m_environment.runsOnClusterNode &&
 name.compare(m_environment.clusterName, Qt::CaseInsensitive) == 0);
==>
false;
EDIT
