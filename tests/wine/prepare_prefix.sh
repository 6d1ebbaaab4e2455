#!/bin/sh
# Prepares the Wine prefix in which the Windows build of the tool is tested
# ($WINEPREFIX, under the build folder): made once, on the first run, and
# then kept. Also starts a wine server that outlives each test's processes by
# a while, so that each start of the tool does not pay for one.
#   prepare_prefix.sh WINE WINESERVER
# Nothing here may open a window or wait for an answer: there is no display
# and no input (DISPLAY is empty, mono and gecko are not offered).
set -eu
wine=$1
server=$2
: "${WINEPREFIX:?WINEPREFIX must name the prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= WAYLAND_DISPLAY=

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  echo "making the Wine prefix $WINEPREFIX (once)"
  "$wine" wineboot --init </dev/null >/dev/null 2>&1
  # a program that crashes ends with its exit code; no debugger is started
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
  "$wine" reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f </dev/null >/dev/null 2>&1 || true
  "$server" -w
fi
[ -f "$WINEPREFIX/system.reg" ] || { echo "wineboot made no prefix in $WINEPREFIX" >&2; exit 1; }
# detached from the test's output, or CTest would wait for it
"$server" -p30 </dev/null >/dev/null 2>&1 || true
"$wine" cmd /c ver </dev/null
