#!/usr/bin/env bash
# Replaces the package code that wixl draws at random on every run (the summary information's
# revision number) by one derived from the whole MSI as written with a package code of zeros: from
# the version and every table and file in it. So the same files give the same MSI, and another
# build of them another package code (scripts/package-windows.sh).
#   set-package-code.sh MSI
set -euo pipefail
msi=$1

summary() {
    msiinfo suminfo "$msi" | sed -n "s/^$1: //p"
}

# msibuild -s sets the subject, author, template and package code together: the first three keep
# their values.
subject=$(summary Subject)
author=$(summary Author)
template=$(summary Template)
msibuild "$msi" -s "$subject" "$author" "$template" '{00000000-0000-0000-0000-000000000000}'
package_code=$(bash "$(dirname "$0")/derived-uuid.sh" <"$msi")
msibuild "$msi" -s "$subject" "$author" "$template" "$package_code"
