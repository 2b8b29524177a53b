#!/usr/bin/env bash
# Scores messages with spamassassin's shipped rules only (local tests, no Bayes), two at a time.
# Reads lines "index TAB path" on standard input; writes "index points" per message scored.
set -uo pipefail
score_one() {
    local index=${1%%$'\t'*} file=${1#*$'\t'} points
    points=$(spamassassin -L -t --cf='use_bayes 0' --cf='bayes_auto_learn 0' <"$file" 2>/dev/null |
        sed -n 's/^X-Spam-Status: [A-Za-z]*, score=\(-\{0,1\}[0-9.]*\).*/\1/p' | head -n 1)
    [[ -n $points ]] && echo "$index $points"
}
export -f score_one
xargs -P 2 -d '\n' -n 1 bash -c 'score_one "$0"'
