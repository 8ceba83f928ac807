#!/usr/bin/env bash
# The "Checksums" page under Wine, beside the peers on the same cached file in
# the same run:
#   - AddPages on the shell's selection of one 1 GiB file and of 1,000 small
#     files (it reads only the selection, so the file's size must not show);
#   - all six digests of the 1 GiB file from one read (page_bench digests)
#     against the sum of Corvana's own times for each digest alone (the file
#     hasher), and against md5sum, sha1sum, sha256sum, sha512sum and b3sum run
#     one after another on the same file.
# Every figure is the best of CORVANA_BENCH_REPEAT runs (3). The files live
# in a scratch folder under build/ and are removed at the end.
# CORVANA_BENCH_BUILD=DIR takes the programs from DIR (build/win64-bench);
# CORVANA_BENCH_MIB=N sets the large file's size (1024).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh

build=${CORVANA_BENCH_BUILD:-build/win64-bench}
build=${build#$root/}
bench=$root/$build/bench/page_bench.exe
bench_need "$bench" win64-bench
repeat=${CORVANA_BENCH_REPEAT:-3}

work=$root/build/bench-page
rm -rf "$work"
mkdir -p "$work/big" "$work/many"
bench_size_mib "$work" 2 3

cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

echo "making a $mib MiB file and 1,000 files of 4 KiB in $work"
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/big/big.bin"
head -c $((1000 * 4096)) /dev/urandom | split -a 4 -d -b 4096 - "$work/many/f"

bench_start_wine "$root/$build/wineprefix-page"
echo "warming the page cache"
cat "$work/big/big.bin" "$work/many"/* >/dev/null

run() { wine64 "$@" </dev/null 2>&1 | tr -d '\r' || true; }
value() { awk -v k="$2" '$1 == "=" && $2 == k { print $NF }' <<<"$1"; }

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
out_one=$(run "$bench" addpages "$repeat" "$(winpath "$work/big/big.bin")")
t_add_one=$(value "$out_one" addpages)
out_many=$(run "$bench" addpages "$repeat" "$(winpath "$work/many")")
t_add_many=$(value "$out_many" addpages)
[ -n "$t_add_one" ] && [ -n "$t_add_many" ] || { echo "AddPages failed: $out_one $out_many"; exit 1; }

out=$(run "$bench" digests "$(winpath "$work/big/big.bin")" "$repeat")
t_all=$(value "$out" all)
[ -n "$t_all" ] || { echo "hashing failed: $out"; exit 1; }
t_sum=0
singles=""
for word in crc32 md5 sha1 sha256 sha512 blake3; do
  t=$(awk -v w="$word" '$1 == "=" && $2 == "single" && $3 == w { print $4 }' <<<"$out")
  [ -n "$t" ] || { echo "no time for $word: $out"; exit 1; }
  singles+="$word $t"$'\n'
  t_sum=$(awk -v a="$t_sum" -v b="$t" 'BEGIN { printf "%.4f", a + b }')
done
f=$work/big/big.bin
t_peers=$(fastest bash -c "md5sum '$f'; sha1sum '$f'; sha256sum '$f'; sha512sum '$f'; b3sum '$f'")
t_b3=$(fastest b3sum "$f")
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

row() { printf '%-66s %9s s\n' "$1" "$2"; }
echo
echo "AddPages (best of $repeat):"
row "one $mib MiB file" "$t_add_one"
row "1,000 files of 4 KiB" "$t_add_many"
echo
echo "$mib MiB cached file (best of $repeat):"
row "all six digests from one read (the page's hasher)" "$t_all"
while read -r word t; do
  [ -n "$word" ] && row "  $word alone (file hasher)" "$t"
done <<<"$singles"
row "sum of the six alone" "$t_sum"
row "md5sum, sha1sum, sha256sum, sha512sum, b3sum one after another" "$t_peers"
row "  of which b3sum" "$t_b3"
awk -v a="$t_all" -v s="$t_sum" -v p="$t_peers" 'BEGIN {
  printf "one read / sum of singles: %.2f (target at most 0.60)\n", a / s
  printf "peers / one read:          %.2f (target at least 3)\n", p / a }'
