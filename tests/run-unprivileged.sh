#!/usr/bin/env bash
# Runs a test program as the unprivileged user "nobody" when started as root, so that the
# faults root never meets (a folder it may not write, a file it may not replace) are tried too.
# Started by another user it runs the program as that user.
set -euo pipefail
if [ "$(id -u)" -eq 0 ]; then
  exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
fi
exec "$@"
