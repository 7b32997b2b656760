#!/bin/sh
# Builds the Debian package from the build folder and checks it with lintian: no errors.
set -eu
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work" >/dev/null)
report=$(lintian --tag-display-limit 0 "$work"/*.deb 2>&1 | grep -v 'root privileges' || true)
printf '%s\n' "$report"
! printf '%s\n' "$report" | grep -q '^E:'
