#!/usr/bin/env bash
# Runs the browser test against the programs in BUILD_DIR. Installs what it
# needs when it is missing: Chromium, a Korean font and Node from Debian's
# packages, playwright-core (as pinned in package-lock.json) from npm into
# this folder.
#
#   tests/browser/run.sh BUILD_DIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build_dir=$(cd "$1" && pwd)

if [ ! -x /usr/bin/chromium ] || ! command -v npm >/dev/null || ! fc-list :lang=ko | grep -q .; then
  "$here/../../scripts/install-deps.sh" browser
fi

pinned=$(node -p "require('$here/package-lock.json').packages['node_modules/playwright-core'].version")
installed=$(node -p "try { require('$here/node_modules/playwright-core/package.json').version } catch { '' }")
if [ "$pinned" != "$installed" ]; then
  (cd "$here" && npm ci --no-audit --no-fund --loglevel=error)
fi

status=0
TAVRIX_BUILD_DIR=$build_dir node --test "$here/board.test.mjs" || status=$?
echo "screenshots: $build_dir/browser-screenshots"
exit $status
