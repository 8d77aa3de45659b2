#!/usr/bin/env bash
# Runs a VBScript file with cscript under Wine, in a prefix that tests/com/wine-run.sh made, and
# optionally under another locale. Wine takes a process's locale from LC_ALL; the variable is
# set for the Wine process alone, so the locale need not exist on this machine.
#   wine-cscript.sh LOADER SYSTEM PREFIX DIR SCRIPT [LOCALE]
# LOADER and SYSTEM as for wine-run.sh; SCRIPT is run from DIR by relative path.
set -euo pipefail

# shellcheck source=tests/wine-program.sh
source "$(dirname "$0")/../wine-program.sh"

loader=$1
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINELOADER=$1
cd "$4"
locale=()
if [ -n "${6:-}" ]; then
    locale=("LC_ALL=$6")
fi
wine_program env "${locale[@]}" "$loader" "C:\\windows\\$2\\cscript.exe" "$5" | tr -d '\r'
