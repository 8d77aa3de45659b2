#!/usr/bin/env bash
# Joins the KestrumMath module and scripts that use it into one VBScript file: Wine's VBScript
# has no ExecuteGlobal to load the module with. From each script, its own loading of the module
# (the lines from "' Load KestrumMath" to "' KestrumMath loaded") and its Option Explicit (the
# module's, first in the file, holds for all) are left out.
#   join-script.sh OUT MODULE_VBS SCRIPT...
set -euo pipefail
out=$1
module=$2
shift 2
{
    cat "$module"
    sed "/^' Load KestrumMath/,/^' KestrumMath loaded/d; /^Option Explicit/d" "$@"
} >"$out"
