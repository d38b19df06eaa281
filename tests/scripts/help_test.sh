#!/usr/bin/env bash
# Every script a user runs answers --help and -h with its usage on stdout and
# status 0, and an unknown argument with its usage on stderr and status 2,
# without installing or building anything. The scripts run from a copy of
# the source tree's scripts, with the commands that install or build replaced
# by stand-ins that note their call and fail.
#   help_test.sh SOURCE_DIR
set -uo pipefail
source_dir=${1:?usage: $0 SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cd "$source_dir"
scripts=(run.sh test.sh bench.sh package.sh web.sh tools/*.sh)
for script in "${scripts[@]}"; do
    mkdir -p "$work/tree/$(dirname "$script")"
    cp -p "$script" "$work/tree/$script"
done
mkdir "$work/stand-ins"
calls=$work/calls
for command in apt-get sudo dpkg-query cmake ctest cpack emcmake g++ c++ make xvfb-run \
    npm node python3 ffmpeg convert lintian dpkg-buildflags; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\nexit 97\n' "$command" "$calls" \
        >"$work/stand-ins/$command"
    chmod +x "$work/stand-ins/$command"
done

failures=0
Fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
cd "$work/tree"
for script in "${scripts[@]}"; do
    for argument in --help -h --no-such-option; do
        PATH="$work/stand-ins:$PATH" timeout 20 "./$script" "$argument" \
            >"$work/out" 2>"$work/err" </dev/null
        status=$?
        if [ "$argument" = --no-such-option ]; then
            [ "$status" -eq 2 ] || Fail "$script $argument: status $status, not 2"
            [ ! -s "$work/out" ] || Fail "$script $argument: wrote to stdout: $(head -c 200 "$work/out")"
            head -n 1 "$work/err" | grep -q '^usage: ' ||
                Fail "$script $argument: no usage on stderr: $(head -c 200 "$work/err")"
        else
            [ "$status" -eq 0 ] || Fail "$script $argument: status $status, not 0"
            head -n 1 "$work/out" | grep -q '^usage: ' ||
                Fail "$script $argument: no usage on stdout: $(head -c 200 "$work/out")"
            [ ! -s "$work/err" ] || Fail "$script $argument: wrote to stderr: $(head -c 200 "$work/err")"
        fi
        if [ -s "$calls" ]; then
            Fail "$script $argument ran: $(tr "\n" ";" <"$calls" | head -c 200)"
            : >"$calls"
        fi
    done
done
left=$(cd "$work/tree" && find . -type f | grep -vxF -f <(printf './%s\n' "${scripts[@]}"))
[ -z "$left" ] || Fail "the scripts wrote: $left"
echo "${#scripts[@]} scripts, $failures failures"
[ "$failures" -eq 0 ]
