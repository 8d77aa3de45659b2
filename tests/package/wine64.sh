# shellcheck shell=bash
# Sourced by the package tests: runs 64-bit Windows programs under Wine in private prefixes.
# Programs start through the 64-bit loader, which works whether or not wine32 is installed.
export WINELOADER=/usr/lib/wine/wine64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# shellcheck source=tests/wine-program.sh
source "$(dirname "${BASH_SOURCE[0]}")/../wine-program.sh"

wine64() {
    wine_program "$WINELOADER" "$@"
}

# fresh_prefix DIR: makes DIR a new Wine prefix, whatever it held before, and selects it.
fresh_prefix() {
    export WINEPREFIX=$1
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wine64 wineboot -i >/dev/null 2>&1
    wineserver -w
}

# windows_path PATH: the Windows name of an absolute Unix path (through drive Z:).
windows_path() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}
