#!/usr/bin/env bash
# Checks that every room of src/aserv includes only itself and the rooms below it: the entry
# points at the top may include any room, digits/, word/ and general/ only text/ and kernel/,
# and text/ and kernel/ only themselves. Prints each include that breaks the order.
#   check_rooms.sh SRC_ASERV
set -euo pipefail
cd "$1"

declare -A level=([.]=3 [digits]=2 [word]=2 [general]=2 [text]=1 [kernel]=1)

room_of() {
    local folder
    folder=$(dirname "$1")
    echo "${folder%%/*}"
}

status=0
while IFS= read -r file; do
    room=$(room_of "$file")
    if [ -z "${level[$room]+set}" ]; then
        echo "$file: in a folder without a level" >&2
        status=1
        continue
    fi
    while IFS= read -r included; do
        # A bare name may be a neighbour in the same folder; otherwise names start at src/aserv.
        if [ -f "$(dirname "$file")/$included" ]; then
            continue
        fi
        [ -f "$included" ] || continue
        target=$(room_of "$included")
        if [ "$target" != "$room" ] && [ "${level[$target]}" -ge "${level[$room]}" ]; then
            echo "$file includes $included: $room/ may not use $target/" >&2
            status=1
        fi
    done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's|^\./||' | sort)

if [ "$status" -eq 0 ]; then
    echo "every include of src/aserv goes down"
fi
exit "$status"
