#!/bin/sh
# The service unit as systemd reads it, on a stable device name and on a plain one:
# `systemd-analyze verify` passes without a word (a bare %r would be read as a specifier of
# systemd's own) and `systemd-analyze security` rates its sandbox at most 3.0 ("OK").
# Usage: checkunit.sh UNIT PROGRAM
set -eu
if ! command -v systemd-analyze >/dev/null 2>&1; then
    echo "systemd-analyze not found (Debian package systemd): skipped"
    exit 77
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for device in serial/by-id/usb-Maker_KVT-318_0001-if00-port0 ttyUSB0; do
    # verify wants the program to exist: the built one stands in for /usr/bin's.
    instance=$dir/$(systemd-escape --template=kvt318-scan@.service "$device")
    sed "s|/usr/bin/kvt318-scan|$2|" "$1" >"$instance"
    said=$(systemd-analyze verify --man=no "$instance" 2>&1)
    if [ -n "$said" ]; then
        echo "$said"
        exit 1
    fi
done
status=0
systemd-analyze security --offline=true --threshold=30 --no-pager "$instance" >"$dir/rating" || status=$?
tail -n 1 "$dir/rating"
exit "$status"
