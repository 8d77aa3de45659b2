#!/usr/bin/env bash
# Runs the Windows side of a test under Wine in a private prefix, created on first use.
#   wine-run.sh PREFIX register DLL          register DLL with regsvr32
#   wine-run.sh PREFIX unregister DLL        unregister it with regsvr32 /u
#   wine-run.sh PREFIX run DIR PROGRAM ARGS  run PROGRAM from DIR (scripts go by relative path,
#                                            since cscript reads "/..." as an option)
#   wine-run.sh PREFIX registry DLL TESTER   register, check, register again (same registry),
#                                            unregister twice, check nothing is left
set -euo pipefail

export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
command=$2
shift 2

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
fi

windows_path() {
    winepath -w "$1" 2>/dev/null
}

registry_dump() {
    wine reg query 'HKCR\Kestrum.Arithm' /s 2>/dev/null | tr -d '\r'
    wine reg query 'HKCR\CLSID\{35E2684A-F747-4FE9-A25C-DD918786DDE0}' /s 2>/dev/null | tr -d '\r'
    wine reg query 'HKCR\TypeLib\{79B2F8FE-DFDB-418D-999A-4307476AF709}' /s 2>/dev/null | tr -d '\r'
}

case $command in
    register) wine regsvr32 /s "$(windows_path "$1")" ;;
    unregister) wine regsvr32 /u /s "$(windows_path "$1")" ;;
    run)
        cd "$1"
        shift
        arguments=()
        for argument in "$@"; do
            # Files named by an absolute Unix path are handed over as Windows paths.
            if [[ $argument == /* && -e $argument ]]; then
                argument=$(windows_path "$argument")
            fi
            arguments+=("$argument")
        done
        wine "${arguments[@]}" | tr -d '\r'
        ;;
    registry)
        dll=$(windows_path "$1")
        tester=$2
        wine regsvr32 /s "$dll"
        wine "$tester" registered "$dll" | tr -d '\r'
        first=$(registry_dump)
        wine regsvr32 /s "$dll"
        [ "$first" = "$(registry_dump)" ] || { echo "registering twice changed the registry"; exit 1; }
        wine regsvr32 /u /s "$dll"
        wine regsvr32 /u /s "$dll" || { echo "unregistering twice failed"; exit 1; }
        wine "$tester" unregistered | tr -d '\r'
        ;;
    *) echo "unknown command: $command" >&2; exit 2 ;;
esac
