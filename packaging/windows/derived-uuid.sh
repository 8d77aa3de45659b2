#!/usr/bin/env bash
# Prints the UUID derived from standard input, in braces and capitals, as Windows Installer
# writes codes: the first 128 bits of its SHA-256 hash, marked as a UUID of version 8 (RFC 9562).
set -euo pipefail
hex=$(sha256sum | cut -c1-32)
variant=$(printf '%x' $(((0x${hex:16:1} & 3) | 8)))
printf '{%s-%s-8%s-%s%s-%s}\n' "${hex:0:8}" "${hex:8:4}" "${hex:13:3}" "$variant" \
    "${hex:17:3}" "${hex:20:12}" | tr a-f A-F
