#!/usr/bin/env bash
# The web build's fetch of libmikmod's source package, and the removal of our
# old deb-src entry, against an apt configuration made here in the stock
# layout (deb822 with Signed-By, no deb-src). Checks that neither writes into
# the test's apt sources nor the system's /etc/apt, and that apt-get update
# still works afterwards.
#   tests/web/apt_source_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
failures=0
Check() { # DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
Hashes() { find "$@" -type f -print0 | sort -z | xargs -0 -r sha256sum; }

# The repository that offers libmikmod on this system, as a stock Debian entry.
uri=$(apt-cache policy libmikmod3 | awk '$2 ~ /^https?:\/\// { print $2; exit }')
suite=$(apt-cache policy libmikmod3 | awk '$2 ~ /^https?:\/\// { split($3, p, "/"); print p[1]; exit }')
if [ -z "$uri" ] || [ ! -f "$keyring" ]; then
    echo "SKIPPED: needs a Debian repository offering libmikmod3 and $keyring"
    exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
etc="$work/etc/apt"
mkdir -p "$etc/sources.list.d"
cat >"$etc/sources.list.d/debian.sources" <<SOURCES
Types: deb
URIs: $uri
Suites: $suite
Components: main
Signed-By: $keyring
SOURCES
# Only the lists of sources are the test's own; the rest of apt's
# configuration is the system's.
cat >"$work/apt.conf" <<CONF
Dir::Etc::sourcelist "$etc/sources.list";
Dir::Etc::sourceparts "$etc/sources.list.d";
CONF
export APT_CONFIG="$work/apt.conf"
before_test=$(Hashes "$etc")
before_system=$(Hashes /etc/apt)

# The fetch from nothing.
Check "the fetch succeeds" "$source_dir/web/fetch-libmikmod-source.sh" "$work/out"
Check "the source is unpacked" test -f "$work/out/libmikmod-3.3.11.1/include/mikmod.h"
Check "the source package is named" grep -q '^libmikmod 3\.3\.11\.1-' "$work/out/SOURCE-PACKAGE"
Check "the test's apt sources are unchanged" test "$before_test" = "$(Hashes "$etc")"
Check "/etc/apt is unchanged" test "$before_system" = "$(Hashes /etc/apt)"
mkdir -p "$work/lists/partial" "$work/cache"
: >"$work/status"
sandbox=()
[ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root) # _apt may not enter the temporary folder
UpdateStillWorks() {
    apt-get "${sandbox[@]}" -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache" \
        -o Dir::State::status="$work/status" -o Debug::NoLocking=true -qq update >"$work/update.log" 2>&1 &&
        ! grep -E '^(E|W):' "$work/update.log"
}
Check "apt-get update still works" UpdateStillWorks
Check "a second fetch does nothing" test -z "$("$source_dir/web/fetch-libmikmod-source.sh" "$work/out")"

# A system with no repository offering the source: one clear line, status 1.
: >"$etc/sources.list.d/debian.sources"
NoSources() {
    local output status=0
    output=$("$source_dir/web/fetch-libmikmod-source.sh" "$work/none" 2>&1) || status=$?
    [ "$status" -eq 1 ] && [ "$(wc -l <<<"$output")" -eq 1 ] && grep -q 'fetch-libmikmod-source: ' <<<"$output"
}
Check "no sources: one line and status 1" NoSources

# Our old entry is removed when it holds exactly what the old build wrote;
# anything else is left alone.
old="$etc/sources.list.d/tromvisk-deb-src.list"
echo "deb-src $uri $suite main" >"$old"
Check "the old entry is removed, and it says so" grep -q 'Removed' <("$source_dir/tools/remove-old-apt-entry.sh")
Check "the old entry is gone" test ! -e "$old"
printf 'deb-src %s %s main\n# mine\n' "$uri" "$suite" >"$old"
"$source_dir/tools/remove-old-apt-entry.sh" >/dev/null
Check "an entry of the user's own is kept" test -f "$old"

echo "$failures failed"
[ "$failures" -eq 0 ]
