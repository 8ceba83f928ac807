#!/usr/bin/env bash
# "&Verify Individual Files" on 1,000 selected files named in a
# 100,000-entry SFV list beside them, under Wine (shell_lookup_bench.exe):
# the look-up with the per-command index, the look-up reading the list again
# for every file, and the whole verification (look-up, hashing, rows), beside
# `rhash -c` on the same list in the same run (it reads the list once, hashes
# the 1,000 files and finds the other 99,000 missing).
# The selected files are 4 KiB each; every hundredth entry of the list names
# one, so they are spread through it. Every figure is the best of
# CORVANA_BENCH_REPEAT runs (3). CORVANA_BENCH_BUILD=DIR takes the program
# from DIR (build/win64-bench); CORVANA_BENCH_SEARCHED=N measures the
# list-per-file look-up on N of the files and scales it (50).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh

build=${CORVANA_BENCH_BUILD:-build/win64-bench}
exe=$build/bench/shell_lookup_bench.exe
bench_need "$exe" win64-bench
repeat=${CORVANA_BENCH_REPEAT:-3}
searched=${CORVANA_BENCH_SEARCHED:-50}

work=$root/build/bench-shell-lookup
rm -rf "$work"
mkdir -p "$work"
cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

echo "making 1,000 files and a 100,000-entry list in $work"
for i in $(seq 50 100 99999); do
  head -c 4096 /dev/urandom >"$work/$(printf 'sel%06d.bin' "$i")"
done
(cd "$work" && rhash --crc32 --simple sel*.bin) >"$work/crcs.txt"
awk 'NR == FNR { crc[$2] = toupper($1); next }
  END {
    print "; 100,000 entries, 1,000 of them present"
    for (i = 0; i < 100000; ++i) {
      n = sprintf("sel%06d.bin", i)
      printf "%s %s\r\n", n, (n in crc) ? crc[n] : sprintf("%08X", i)
    }
  }' "$work/crcs.txt" /dev/null >"$work/list.sfv"
rm "$work/crcs.txt"

bench_start_wine "$root/$build/wineprefix-shell-lookup"
echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
out=$work/../shell-lookup.txt
status=0
wine64 "$exe" "$(winpath "$work")\\" "$repeat" "$searched" </dev/null 2>&1 | tr -d '\r' >"$out" ||
  status=$?
t_rhash=$(cd "$work" && fastest rhash -c --skip-ok list.sfv)
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"
[ "$status" = 0 ] && grep -q '^= whole ' "$out" || {
  echo "shell_lookup_bench failed:"
  cat "$out"
  exit 1
}
good=$(awk '$1 == "=" && $2 == "good" { print $3 }' "$out")
[ "$good" = 1000 ] || { echo "only $good of 1000 files verified OK"; exit 1; }

echo
echo "Corvana under Wine, 1,000 selected files, 100,000-entry SFV list (best of $repeat):"
grep -v '^=' "$out"
echo
echo "peer on the same list and files, whole process (best of $repeat):"
printf '%-58s %9s s\n' "rhash -c --skip-ok list.sfv (1,000 hashed, 99,000 missing)" "$t_rhash"
rm -f "$out"
