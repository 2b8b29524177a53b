#!/usr/bin/env bash
# Installs spamassassin (Debian package) for engine_bench --spamassassin; the benchmark alone needs it, not CI.
set -euo pipefail
if command -v spamassassin >/dev/null 2>&1; then
    echo "spamassassin is installed"
    exit 0
fi
sudo=""
[[ $(id -u) -ne 0 ]] && sudo=sudo
$sudo apt-get install -y spamassassin
