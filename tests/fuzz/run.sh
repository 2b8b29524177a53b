#!/usr/bin/env bash
# Builds the fuzz targets (preset "fuzz": Clang, libFuzzer, AddressSanitizer + UBSan) and runs each
# from its seeds in tests/fuzz/corpus/TARGET/. New inputs and findings go to a scratch folder, never
# into the repository. A crash, a failed check, a leak or a hang fails the run and prints the input
# that caused it.
#
# By default each target tries a fixed number of inputs from a fixed random seed: a run over the same
# tree tries the same inputs on any machine and in any checkout (the fuzz build names its sources
# relative to the checkout), so the check fails only when the code changed, and a finding reproduces
# anywhere. The table's seconds only cap the run on a slow machine. Looking for new
# faults is a separate, longer job: TW_FUZZ_SECONDS runs by time from a fresh seed each time.
#
#   tests/fuzz/run.sh                  every target, its fixed inputs (about a minute and a half)
#   tests/fuzz/run.sh vcard_fuzz ...   only these targets
#   TW_FUZZ_SECONDS=300 tests/fuzz/run.sh mime_message_fuzz
#                                      five minutes of new inputs, from a random seed
#   TW_FUZZ_SEED=N                     another fixed seed
#   TW_FUZZ_WORK=DIR                   keep the new inputs and findings in DIR (default: a new
#                                      temporary folder, removed afterwards when nothing was found)
set -euo pipefail
cd "$(dirname "$0")/../.."

# Inputs for each target and the seconds that cap them; the parsers with the most paths get more.
# The counts are what this machine tries in those seconds (about 1,000 to 260,000 inputs a second).
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
  [dns_reply_fuzz]=5
)
declare -A inputs=(
  [mime_message_fuzz]=30000
  [engine_fuzz]=40000
  [vcard_fuzz]=60000
  [maildir_fuzz]=14000
  [store_index_fuzz]=7000
  [reg_file_fuzz]=80000
  [filter_fuzz]=150000
  [list_file_fuzz]=80000
  [command_line_fuzz]=11000
  [release_file_fuzz]=1000000
  [dns_reply_fuzz]=200000
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
# The same inputs need the same addresses as well (libFuzzer learns from the values compared, pointers
# among them) and no rereading of the corpus folder on a timer. A container that refuses to turn
# address randomisation off still runs the targets, only less repeatably.
fixed_addresses=()
if [[ -z ${TW_FUZZ_SECONDS:-} ]] && setarch -R true 2>/dev/null; then fixed_addresses=(setarch -R); fi
for target in "${targets[@]}"; do
  dir="$work/$target"
  mkdir -p "$dir/found"
  seeds=tests/fuzz/corpus/$target
  [[ -d $seeds ]] || seeds=
  if [[ -n ${TW_FUZZ_SECONDS:-} ]]; then
    # libFuzzer picks a fresh seed for seed 0.
    budget=(-max_total_time="$TW_FUZZ_SECONDS" -seed="${TW_FUZZ_SEED:-0}")
  else
    budget=(-runs="${inputs[$target]}" -max_total_time="$((3 * ${seconds[$target]}))" -seed="${TW_FUZZ_SEED:-1}" -reload=0)
  fi
  # The first corpus folder receives the new inputs; the seeds are only read.
  started=$SECONDS
  if TMPDIR="$work/tmp" "${fixed_addresses[@]}" "build/fuzz/tests/fuzz/$target" "${budget[@]}" -timeout=10 -rss_limit_mb=2048 \
       -max_len=16384 -print_final_stats=1 -artifact_prefix="$dir/" "$dir/found" $seeds >"$dir/log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log")
    seed=$(sed -n 's/^INFO: Seed: *//p' "$dir/log")
    echo "fuzz: $target ok ($((SECONDS - started))s, ${runs:-?} inputs from seed ${seed:-?}, $(ls "$dir/found" | wc -l) new)"
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
