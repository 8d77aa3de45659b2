#!/usr/bin/env bash
# Writes the two shipped forms of the KestrumMath module into OUT_DIR, with Windows line ends:
#   KestrumMath.bas  the VBA module, as written
#   KestrumMath.vbs  the same code for VBScript: without the Attribute line, and with the
#                    rounding modes' "Optional mode = ..." parameters made plain "mode"
#   build-module.sh SOURCE_BAS OUT_DIR
set -euo pipefail
source=$1
out=$2
mkdir -p "$out"
sed 's/\r$//; s/$/\r/' "$source" >"$out/KestrumMath.bas"
sed 's/\r$//; /^Attribute VB_Name = /d; s/Optional mode = "HALF_UP")/mode)/; s/$/\r/' \
    "$source" >"$out/KestrumMath.vbs"
