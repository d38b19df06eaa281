#!/usr/bin/env bash
# The web show's benchmark: download size, load time to the first frame, and
# frame rate per act in headless Chromium with SwiftShader at 800x600 and
# 1920x1080. Builds the web show first (./web.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-packages.sh chromium nodejs
tests/web/install-driver.sh
./web.sh >/dev/null
exec node bench/web_bench.js "$@"
