# shellcheck shell=bash
# Sourced by the scripts that run Windows programs under Wine.
#
# wine_program COMMAND ARGS...: runs a Wine program and passes on its output and exit status.
# Under heavy load the host's dynamic loader now and then aborts in a Wine process's exit
# handlers ("Inconsistency detected by ld.so: dl-fini.c ..."), after the program has done its
# work. Such a run says nothing about the program, so it is repeated, up to three runs in all,
# and only the last run's output is passed on. Every program the tests start this way can run
# twice with the same outcome.
wine_program() {
    local out err status attempt
    out=$(mktemp)
    err=$(mktemp)
    for attempt in 1 2 3; do
        status=0
        "$@" >"$out" 2>"$err" || status=$?
        if [ "$status" -eq 0 ] || ! grep -q 'Inconsistency detected by ld.so' "$err"; then
            break
        fi
        echo "wine_program: the loader aborted at exit on run $attempt of: $*" >&2
    done
    cat "$out"
    cat "$err" >&2
    rm -f "$out" "$err"
    return "$status"
}
