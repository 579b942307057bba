#!/bin/sh
# Starts one wineserver for all the tests and lets wine create its prefix,
# which takes a few seconds the first time, so that each run starts fast.
# The server must not hold on to CTest's output pipes. It stays up for
# 30 s after its last program has ended, not for ever: if the tests are
# stopped before windows.wine_stop takes it down, it still goes, and a
# watcher removes the folder it kept in /tmp once it has gone.
#   start_wine.sh WINESERVER WINE
here=$(dirname "$0")
mkdir -p "$WINEPREFIX" || exit 1
# Whatever a run that was killed outright left behind.
"$here/stop_wine.sh" "$1"
# A prefix that could not be made fails this, and with it every test that
# needs wine, rather than leave each of them to fail its own way.
"$1" -p30 </dev/null >/dev/null 2>&1 || exit 1
setsid sh -c '"$1" -w; "$2" --leftovers' watcher "$1" "$here/stop_wine.sh" \
  </dev/null >/dev/null 2>&1 &
"$2" cmd /c exit </dev/null >/dev/null 2>&1
