#!/usr/bin/env bash
# Removes the deb-src entry that an early web build of ours wrote into apt's
# sources (sources.list.d/tromvisk-deb-src.list): without a Signed-By it
# conflicts with the system's entries and stops every `apt-get update`. The
# file is removed only when it holds exactly that one line; nothing else is
# touched. Run by tools/install-packages.sh before it calls apt.
set -euo pipefail

usage="usage: $0   (removes our old, conflicting deb-src entry from apt's sources, if it is there)"
case ${1:-} in
-h | --help) echo "$usage"; exit 0 ;;
"") ;;
*) echo "$usage" >&2; exit 2 ;;
esac

eval "$(apt-config shell parts Dir::Etc::sourceparts/d)"
entry="${parts%/}/tromvisk-deb-src.list"
[ -f "$entry" ] || exit 0
# What that build wrote: "deb-src URI SUITE COMPONENT", one line.
if [ "$(wc -l <"$entry")" -ne 1 ] || ! grep -Eqx 'deb-src [^ ]+://[^ ]+ [^ ]+ [^ ]+' "$entry"; then
    exit 0
fi
if [ "$(id -u)" -eq 0 ]; then
    rm -f -- "$entry"
elif ! sudo rm -f -- "$entry"; then
    echo "Our old deb-src entry $entry breaks apt-get update; remove it with: sudo rm $entry" >&2
    exit 1
fi
echo "Removed $entry, an apt entry an earlier build of ours wrote; apt-get update works again."
