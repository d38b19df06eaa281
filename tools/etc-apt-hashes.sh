#!/usr/bin/env bash
# Prints a SHA-256 line for every file under /etc/apt (or the folder given), in
# a stable order, so that two runs can be compared to name what changed.
set -euo pipefail
usage="usage: $0 [DIR]   (hashes every file under DIR, /etc/apt by default)"
case ${1:-} in
-h | --help) echo "$usage"; exit 0 ;;
-*) echo "$usage" >&2; exit 2 ;;
esac
[ $# -le 1 ] || { echo "$usage" >&2; exit 2; }
find "${1:-/etc/apt}" \( -type f -o -type l \) -print0 | sort -z | xargs -0 -r sha256sum
