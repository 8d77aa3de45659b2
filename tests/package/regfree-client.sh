#!/usr/bin/env bash
# Registration-free use of the packaged DLL: the zip's x64 folder (Kestrum.dll, Kestrum.manifest)
# beside a program whose application manifest depends on assembly Kestrum, in a new Wine prefix
# where nothing is registered. Without Kestrum.manifest the program must find no class.
#   regfree-client.sh ZIP CLIENT_EXE WORK_DIR
set -euo pipefail
zip=$1
client=$2
work=$3
# shellcheck source=tests/package/wine64.sh
source "$(dirname "$0")/wine64.sh"

unpacked=$work/regfree-zip
rm -rf "$unpacked"
mkdir -p "$unpacked"
(cd "$unpacked" && cmake -E tar xf "$zip")
folder=$(find "$unpacked" -type d -name x64)
if [ ! -f "$folder/Kestrum.dll" ] || [ ! -f "$folder/Kestrum.manifest" ]; then
    echo "FAILED: the zip's x64 folder lacks Kestrum.dll or Kestrum.manifest"
    exit 1
fi

fresh_prefix "$work/regfree-prefix"
application=$WINEPREFIX/drive_c/application
mkdir -p "$application"
cp "$client" "$application/client.exe"
cp "$folder/Kestrum.dll" "$application/"

cd "$application"
if wine64 client.exe >without-manifest.log 2>&1; then
    echo "FAILED: the client ran with Kestrum.dll alone beside it: it must need Kestrum.manifest"
    exit 1
fi
echo "without Kestrum.manifest beside it the client finds no class, as expected"

cp "$folder/Kestrum.manifest" "$application/"
wine64 client.exe | tr -d '\r'
