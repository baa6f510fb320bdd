#!/bin/sh
# recipients: clicking a column twice does not reverse the order.
exec python3 "$MUTATE" src/recipients/recipientviewmodel.cpp <<'EDIT'
return order == 0 ? compared < 0 : compared > 0;
==>
return compared < 0;
EDIT
