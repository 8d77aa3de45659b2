#!/usr/bin/env bash
# Checks the manual page: groff and man render it without a single warning, it names the
# project's version, and it documents every operation, batch mode, kestrum calc (its options,
# modes, commands, history file and precision limit) and every exit status.
#   check_man_page.sh PAGE VERSION
set -euo pipefail
page=$1
version=$2

warnings=$(groff -ww -man -z "$page" 2>&1)
warnings+=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
if [ -n "$warnings" ]; then
    echo "$page: roff warnings:" >&2
    echo "$warnings" >&2
    exit 1
fi

grep -q "^\.TH KESTRUM 1 [0-9-]* \"kestrum $version\"" "$page" || {
    echo "$page: the .TH line does not name kestrum $version" >&2
    exit 1
}

text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$page" 2>/dev/null)
for expected in iadd isub imult idiv icomp radd rsub rmult "kestrum -" "error usage" "kestrum calc" \
    "--places" "--mode" "HALF_EVEN" ":places" ".kestrum_history" "max(60, N)" "EXIT STATUS" "32766"; do
    grep -qF -- "$expected" <<<"$text" || {
        echo "$page: the rendered page does not mention \"$expected\"" >&2
        exit 1
    }
done
echo "$page: renders cleanly"
