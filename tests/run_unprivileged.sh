#!/bin/sh
# Runs a test program as an ordinary user when started as root, for the tests of what a user
# cannot read (root reads every folder).
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null 2>&1; then
    exec env HOME=/tmp setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
fi
exec "$@"
