#!/bin/bash
# One-time settings of a fresh Wine prefix (WINEPREFIX set by the caller, $1 = wine loader).
# Arial and Courier New map to their metric-compatible Liberation fonts.
WINE="$1"
"$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f
"$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono' /f
