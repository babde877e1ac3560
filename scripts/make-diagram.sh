#!/usr/bin/env bash
# Draws docs/flow.png from docs/flow.dot with Graphviz (installed from Debian's packages when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if ! command -v dot >/dev/null; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -qq --no-install-recommends graphviz fonts-wqy-microhei >/dev/null
fi
dot -Tpng -Gdpi=110 "$root/docs/flow.dot" -o "$root/docs/flow.png"
echo "docs/flow.png"
