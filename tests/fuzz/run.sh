#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": Clang, libFuzzer, AddressSanitizer + UBSan) and runs each
# for a bounded time from its seeds in tests/fuzz/corpus/TARGET/. New inputs and findings go to a
# scratch folder, never into the repository. A crash, a failed check, a leak or a hang fails the run
# and prints the input that caused it.
#
#   tests/fuzz/run.sh                  every target, for the time the table below gives it
#   tests/fuzz/run.sh vcard_fuzz ...   only these targets
#   TW_FUZZ_SECONDS=300 tests/fuzz/run.sh mime_message_fuzz
#                                      longer runs when looking for faults by hand
#   TW_FUZZ_WORK=DIR                   keep the new inputs and findings in DIR (default: a new
#                                      temporary folder, removed afterwards when nothing was found)
set -euo pipefail
cd "$(dirname "$0")/../.."

# Seconds for each target; about a minute and a half in all. The parsers with the most paths get more.
declare -A seconds=(
  [mime_message_fuzz]=15
  [engine_fuzz]=15
  [vcard_fuzz]=10
  [maildir_fuzz]=10
  [store_index_fuzz]=10
  [reg_file_fuzz]=10
  [filter_fuzz]=10
  [list_file_fuzz]=5
  [command_line_fuzz]=10
  [release_file_fuzz]=5
)
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  mapfile -t targets < <(printf '%s\n' "${!seconds[@]}" | sort)
fi
for target in "${targets[@]}"; do
  [[ -n ${seconds[$target]:-} ]] || { echo "fuzz: no target $target (known: ${!seconds[*]})" >&2; exit 2; }
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2

work=${TW_FUZZ_WORK:-$(mktemp -d "${TMPDIR:-/tmp}/tarnwick-fuzz.XXXXXX")}
mkdir -p "$work/tmp"
failed=()
for target in "${targets[@]}"; do
  dir="$work/$target"
  mkdir -p "$dir/found"
  seeds=tests/fuzz/corpus/$target
  [[ -d $seeds ]] || seeds=
  time=${TW_FUZZ_SECONDS:-${seconds[$target]}}
  # The first corpus folder receives the new inputs; the seeds are only read.
  if TMPDIR="$work/tmp" "build/fuzz/tests/fuzz/$target" -max_total_time="$time" -timeout=10 -rss_limit_mb=2048 \
       -max_len=16384 -print_final_stats=1 -artifact_prefix="$dir/" "$dir/found" $seeds >"$dir/log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
    echo "fuzz: $target ok (${time}s, ${runs:-?} inputs, $(ls "$dir/found" | wc -l) new)"
  else
    failed+=("$target")
    echo "fuzz: $target FAILED; the end of its log:" >&2
    grep -v '^#[0-9]' "$dir/log" | tail -40 >&2
    for input in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-*; do
      [[ -e $input ]] && echo "fuzz: reproduce with build/fuzz/tests/fuzz/$target $input" >&2
    done
  fi
done
rm -rf "$work/tmp"

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: failed: ${failed[*]}; inputs and logs are in $work" >&2
  exit 1
fi
[[ -n ${TW_FUZZ_WORK:-} ]] || rm -rf "$work"
echo "fuzz: all ${#targets[@]} targets ran clean"
