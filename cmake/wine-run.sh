#!/bin/sh
# Runs a Windows program under 64-bit Wine, quietly, in a Wine prefix of its own (made on first use).
export WINEPREFIX="${WINEPREFIX:-$HOME/.local/share/quoteforge-wine}"
mkdir -p "$(dirname "$WINEPREFIX")"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINELOADER=/usr/lib/wine/wine64
exec /usr/lib/wine/wine64 "$@"
