#!/usr/bin/env bash
# Installs the browser tests' DevTools driver (package-lock.json here) with
# npm ci, which starts from scratch: only when the lock file changed since the
# last install.
set -euo pipefail
cd "$(dirname "$0")"
command -v npm >/dev/null || ../../tools/install-packages.sh npm
[ node_modules/.package-lock.json -nt package-lock.json ] ||
    npm ci --no-audit --no-fund --loglevel=error
