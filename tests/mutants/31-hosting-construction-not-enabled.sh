#!/bin/sh
# hosting: the rule is stored but construction stays off; the installed sink runs without its rule.
exec python3 "$MUTATE" src/hosting/sinkhosting.cpp <<'EDIT'
sink->setValue(QStringLiteral("ConstructionEnabled"), true);
==>
sink->setValue(QStringLiteral("ConstructionEnabled"), false);
EDIT
