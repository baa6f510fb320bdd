#!/bin/sh
# ui: the progress bar paints over its percentage; the text under the bar can no longer be read.
exec python3 "$MUTATE" src/ui/progressboxwidget.cpp <<'EDIT'
painter.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
==>
EDIT
