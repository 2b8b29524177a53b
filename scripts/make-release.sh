#!/usr/bin/env bash
# Writes the release service's static folder: the release file the add-in's release check reads, the
# signed package manifest twupdate reads with the package, and the engine's rule files with their
# signed manifest. Any web server serving OUT_DIR as the root of the service host serves a release.
set -euo pipefail
usage() {
    echo "usage: scripts/make-release.sh VERSION SECRET_KEY_FILE PACKAGE OUT_DIR" >&2
    echo "  VERSION X.Y.Z; SECRET_KEY_FILE from 'twsign keygen', kept outside the repository;" >&2
    echo "  TWSIGN names a built twsign (default: built natively in \$TW_RELEASE_BUILD);" >&2
    echo "  TW_RULES_DIR holds tw1.bin, tw2.bin, tw5.bin (default: resources/rules)." >&2
    exit 2
}
[[ $# -eq 4 ]] || usage
version=$1 secret=$2 package=$3 out=$4
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $version =~ ^[0-9]{1,6}\.[0-9]{1,6}\.[0-9]{1,6}$ ]] || { echo "make-release: VERSION must be X.Y.Z" >&2; exit 2; }
[[ -f $secret ]] || { echo "make-release: no secret key file $secret" >&2; exit 2; }
[[ -f $package ]] || { echo "make-release: no package $package" >&2; exit 2; }
secret_path=$(realpath "$secret")
if [[ $secret_path == "$root"/* ]]; then
    echo "make-release: the secret key must not live inside the repository ($secret_path)" >&2
    exit 2
fi
rules=${TW_RULES_DIR:-$root/resources/rules}

twsign=${TWSIGN:-}
if [[ -z $twsign ]]; then
    build=${TW_RELEASE_BUILD:-/tmp/tarnwick-release-build}
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTW_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" -j2 --target twsign >/dev/null
    twsign=$build/crypto/twsign
fi

size_of() { wc -c <"$1" | tr -d ' '; }
sha_of() { sha256sum "$1" | cut -d' ' -f1; }
# A manifest line: name version-or-stamp size sha256 path (the engine's and twupdate's one shape).
line_for() { echo "$1 $2 $(size_of "$3") $(sha_of "$3") $4"; }
sign() { "$twsign" sign "$secret" "$1" >"$1.sig"; }

# The release file's place comes from the add-in's own string table: the host part is the service's.
string_of() { sed -n "s/^TW_STRING($1, \"\\(.*\\)\")\$/\\1/p" "$root/resources/strings.inc"; }
release_dir=$(string_of 137)
release_dir=${release_dir#*/}
release_file=$(string_of 138)
[[ -n $release_dir && -n $release_file ]] || { echo "make-release: release address not found in strings.inc" >&2; exit 1; }

mkdir -p "$out/$release_dir/$version" "$out/rules"
package_name=$(basename "$package")
[[ $package_name =~ ^[A-Za-z0-9._-]+$ ]] || { echo "make-release: package name $package_name has unusual characters" >&2; exit 2; }
cp "$package" "$out/$release_dir/$version/$package_name"
line_for tarnwick "$version" "$package" "$version/$package_name" >"$out/$release_dir/manifest.txt"
sign "$out/$release_dir/manifest.txt"
printf 'version=%s\n' "$version" >"$out/$release_dir/$release_file"

: >"$out/rules/manifest.txt"
for name in tw1 tw2 tw5; do
    file=$rules/$name.bin
    [[ -f $file ]] || { echo "make-release: no rule file $file" >&2; exit 1; }
    header=$(head -n 1 "$file")
    read -r magic header_name stamp <<<"$header"
    [[ $magic == TWRULES && $header_name == "$name" && -n $stamp ]] || { echo "make-release: $file has no rule header" >&2; exit 1; }
    mkdir -p "$out/rules/$stamp"
    cp "$file" "$out/rules/$stamp/$name.bin"
    line_for "$name" "$stamp" "$file" "$stamp/$name.bin" >>"$out/rules/manifest.txt"
done
sign "$out/rules/manifest.txt"
echo "make-release: $version written to $out"
