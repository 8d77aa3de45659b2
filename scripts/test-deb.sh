#!/usr/bin/env bash
# Builds the Debian package and checks it without installing it: unpacks it into a temporary
# folder, runs the binary from there, reads the control fields and the files, and runs lintian,
# which must report no error.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/ensure-packages.sh dpkg-dev lintian binutils

echo "=== Debian package"
deb=$(bash scripts/package-deb.sh | tail -n 1)
version=$(sed -n 's/^project(Kestrum VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ "$deb" = "build/package/kestrum_${version}_$(dpkg --print-architecture).deb" ]

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

failures=0
check() {  # check DESCRIPTION COMMAND...: runs the command, counts a failure when it fails
    local what=$1
    shift
    if "$@"; then
        echo "ok    $what"
    else
        echo "FAIL  $what"
        failures=$((failures + 1))
    fi
}
field_is() { [ "$(dpkg-deb -f "$deb" "$1")" = "$2" ]; }
field_matches() { grep -Eq "$2" <<<"$(dpkg-deb -f "$deb" "$1")"; }

kestrum=$root/usr/bin/kestrum
batch_answer() {
    local out status=0
    out=$(printf 'iadd\t12\t30\nidiv\t-7\t2\niadd\t1a\t1\n' | "$kestrum" - 2>/dev/null) || status=$?
    [ "$out" = $'42\n-3\t-1\t0\nerror 102' ] && [ "$status" -eq 1 ]
}
stripped() { ! grep -q '\.symtab' <<<"$(readelf -S "$kestrum")"; }
man_page_is_source() { [ "$(zcat "$root/usr/share/man/man1/kestrum.1.gz")" = "$(cat src/cli/kestrum.1)" ]; }
changelog_names_version() {
    [[ "$(zcat "$root/usr/share/doc/kestrum/changelog.gz")" == "kestrum ($version) "* ]]
}
machine_readable_copyright() {
    [ "$(head -n 1 "$root/usr/share/doc/kestrum/copyright")" = \
        "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ]
}
only_expected_files() {
    [ "$(cd "$root" && find . -type f | sort)" = "$(printf '%s\n' ./usr/bin/kestrum \
        ./usr/share/doc/kestrum/changelog.gz ./usr/share/doc/kestrum/copyright \
        ./usr/share/man/man1/kestrum.1.gz)" ]
}
owned_by_root() { ! grep -v ' root/root ' <<<"$(dpkg-deb -c "$deb")"; }

check "Package: kestrum" field_is Package kestrum
check "Version: $version" field_is Version "$version"
check "Architecture: $(dpkg --print-architecture)" field_is Architecture "$(dpkg --print-architecture)"
check "Section: math" field_is Section math
check "Maintainer set" field_matches Maintainer '^[^<]+ <[^>]+@[^>]+>$'
check "Depends computed from the binary (libc6, libstdc++6)" \
    field_matches Depends 'libc6 \(>= [0-9.]+\).*libstdc\+\+6 \(>= [0-9.]+\)'
check "Depends on libedit2 (the prompt of kestrum calc)" \
    field_matches Depends '(^|, )libedit2 \(>= [0-9.-]+\)'
check "Description with summary and extended text" field_matches Description '^arbitrary-length'
check "only the binary, manual page, copyright and changelog" only_expected_files
check "files owned by root" owned_by_root
check "binary stripped" stripped
check "unpacked binary runs: --version" test "$("$kestrum" --version)" = "kestrum $version"
check "unpacked binary runs: batch mode example, status 1" batch_answer
check "unpacked binary runs: kestrum calc" test "$("$kestrum" calc -p 3 1/8 2>&1)" = "0.125"
check "manual page is the repository's, compressed" man_page_is_source
check "changelog names version $version" changelog_names_version
check "copyright file in machine-readable format" machine_readable_copyright

echo "--- lintian"
lintian_status=0
lintian_report=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
grep -v '^running with root privileges' <<<"$lintian_report" || true
check "lintian reports no error" test "$lintian_status" -eq 0

if [ "$failures" -ne 0 ]; then
    echo "$failures package check(s) failed"
    exit 1
fi
echo "package checks passed"
