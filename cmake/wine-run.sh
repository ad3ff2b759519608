#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix named by VELMAR_WINEPREFIX (test.sh sets it;
# default: the wineprefix folder of the current build directory). The 64-bit loader starts a
# 32-bit program with wine32, in the same prefix: both Windows builds use this script.
set -e
export WINEPREFIX="${VELMAR_WINEPREFIX:-${WINEPREFIX:-$PWD/wineprefix}}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
exec "$wine" "$@"
