#!/bin/sh
# Stops the wineserver of $WINEPREFIX, waits until it has gone, and removes
# the folder that it kept in TMPDIR (/tmp unless set) for its socket, which
# no wine release removes. Debian's wine names that folder, wine-XXXXXX, in
# the prefix; upstream wine's is .wine-UID/server-DEVICE-INODE. Passes when
# no server is running. With --leftovers, only removes the folder: the
# server is known to be gone.
#   stop_wine.sh WINESERVER | stop_wine.sh --leftovers
if [ "$1" != --leftovers ]; then
  "$1" -k 2>/dev/null
  "$1" -w
fi
tmp=${TMPDIR:-/tmp}
if [ -f "$WINEPREFIX/wineserver" ]; then
  name=$(cat "$WINEPREFIX/wineserver")
  case $name in
    wine-??????) rm -rf "${tmp:?}/$name" ;;
  esac
  rm -f "$WINEPREFIX/wineserver"
fi
if [ -d "$WINEPREFIX" ]; then
  upstream=$tmp/.wine-$(id -u)
  server=$(printf 'server-%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  rm -rf "${upstream:?}/$server"
  rmdir "$upstream" 2>/dev/null
fi
exit 0
