#!/usr/bin/env bash
# Drives the prompt of kestrum calc in a pseudo-terminal through tmux: a value, :places, lines
# recalled with the up arrow (one of them from the history file of an earlier session), a
# failing line, Ctrl-C on a line being typed and on a long evaluation, Ctrl-D; then checks the
# screen and the history file. Exits 77 (skipped) when
# tmux is missing.
#   repl_test.sh KESTRUM
set -euo pipefail
kestrum=$1

command -v tmux >/dev/null || {
    echo "tmux is missing: the prompt is not tested"
    exit 77
}

home=$(mktemp -d)
socket=kestrum-repl-test-$$
tmux_() { tmux -L "$socket" -f /dev/null "$@"; }
trap 'tmux_ kill-server 2>/dev/null || true; rm -rf "$home"' EXIT

fail() {
    echo "FAIL: $1" >&2
    echo "--- screen:" >&2
    tmux_ capture-pane -p -t calc >&2 || true
    exit 1
}

# Waits up to 10 seconds for a screen line that is exactly $1.
wait_for_line() {
    for _ in $(seq 100); do
        tmux_ capture-pane -p -t calc | grep -qxF -- "$1" && return 0
        sleep 0.1
    done
    fail "no screen line \"$1\""
}

# A line left by an earlier session, in libedit's history format.
printf '_HiStOrY_V2_\n7*6\n' >"$home/.kestrum_history"

tmux_ new-session -d -s calc -x 100 -y 40 \
    "cd '$home' && HOME='$home' $kestrum calc; echo \"exit status \$?\"; sleep 600"
wait_for_line "kestrum calc: :help for help, Ctrl-D to leave"

tmux_ send-keys -t calc '1/3' Enter
wait_for_line "0.33333333333333333333"
tmux_ send-keys -t calc ':places 5' Enter
tmux_ send-keys -t calc Up Up Enter  # 1/3 again, now at 5 places
wait_for_line "0.33333"
tmux_ send-keys -t calc Up Up Up Up Enter  # 7*6, from the earlier session
wait_for_line "calc> 7*6"
wait_for_line "42"
tmux_ send-keys -t calc '2 +' Enter
tmux_ capture-pane -p -t calc >/dev/null
for _ in $(seq 100); do
    tmux_ capture-pane -p -t calc | grep -q '^kestrum calc: column 4: ' && break
    sleep 0.1
done
tmux_ capture-pane -p -t calc | grep -q '^kestrum calc: column 4: ' ||
    fail "no message for the column of the missing operand"
tmux_ send-keys -t calc '9*9' C-c '5*5' Enter  # Ctrl-C drops 9*9
wait_for_line "25"
tmux_ capture-pane -p -t calc | grep -qx 81 && fail "a line dropped by Ctrl-C was evaluated"
long=$(printf 'sin(%s)+' $(seq 2 40))0
tmux_ send-keys -t calc ':places 100000' Enter "$long" Enter
# A Ctrl-C that comes while the line is still being read only starts a new prompt line: send
# them until one stops the evaluation.
for _ in $(seq 40); do
    tmux_ send-keys -t calc C-c
    sleep 0.25
    # The terminal echoes each Ctrl-C as ^C in front of the message.
    tmux_ capture-pane -p -t calc | grep -q 'kestrum calc: interrupted$' && break
done
tmux_ capture-pane -p -t calc | grep -q 'kestrum calc: interrupted$' ||
    fail "Ctrl-C did not stop the evaluation"
tmux_ send-keys -t calc C-d
wait_for_line "exit status 0"

# libedit writes a blank inside a line as \040.
history=$(sed 's/\\040/ /g' "$home/.kestrum_history")
expected=$(printf '%s\n' _HiStOrY_V2_ '7*6' '1/3' ':places 5' '1/3' '7*6' '2 +' '5*5' \
    ':places 100000' "$long")
[ "$history" = "$expected" ] || fail "history file:
$history
expected:
$expected"
echo "the prompt edits, recalls and keeps lines"
