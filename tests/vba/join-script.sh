#!/usr/bin/env bash
# Joins the KestrumMath module and scripts that use it into one VBScript file: Wine's VBScript
# has no ExecuteGlobal to load the module with. A script's own loading of the module, the lines
# from "' Load KestrumMath" to "' KestrumMath loaded", is left out.
#   join-script.sh OUT MODULE_VBS SCRIPT...
set -euo pipefail
out=$1
shift
sed "/^' Load KestrumMath/,/^' KestrumMath loaded/d" "$@" >"$out"
