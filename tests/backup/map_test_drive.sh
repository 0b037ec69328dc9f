#!/bin/sh
# Maps drive Q: of the Wine prefix to a directory of its own (drive_q), for the
# tests whose archives name a whole drive. Without a prefix nothing is done and
# those tests skip themselves.
prefix="${WINEPREFIX:-$HOME/.wine}"
[ -d "$prefix/dosdevices" ] || exit 0
mkdir -p "$prefix/drive_q" && ln -sfn ../drive_q "$prefix/dosdevices/q:"
