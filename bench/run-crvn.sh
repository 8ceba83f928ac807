#!/usr/bin/env bash
# Whole-process timings of crvn.exe under Wine beside Corvana.exe and the
# peers, on the same cached files in the same run:
#   - crvn check of a SHA256SUMS naming one large file (1 GiB), beside
#     Corvana.exe OUTPUT: on the same list and sha256sum -c;
#   - crvn check of an SFV list of 10,000 small files, beside Corvana.exe
#     OUTPUT: NODBUPDATE on the same list (every file hashed by both);
#   - crvn hash -a blake3 of the large file beside b3sum.
# Every figure is the best of CORVANA_BENCH_REPEAT runs (3). The files live
# in a scratch folder under build/ and are removed at the end.
# CORVANA_BENCH_BUILD=DIR takes the programs from DIR (build/win64-bench,
# else build/win64); CORVANA_BENCH_MIB=N sets the size of the large file.
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh

build=${CORVANA_BENCH_BUILD:-}
if [ -z "$build" ]; then
  for b in build/win64-bench build/win64; do
    [ -f "$b/console/crvn.exe" ] && [ -f "$b/verifier/Corvana.exe" ] && { build=$b; break; }
  done
fi
[ -n "$build" ] || { echo "run-crvn: crvn.exe and Corvana.exe are not built" >&2; exit 1; }
repeat=${CORVANA_BENCH_REPEAT:-3}

work=$root/build/bench-crvn
rm -rf "$work"
mkdir -p "$work/big" "$work/many" "$work/exe"
bench_size_mib "$work" 3 3
cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

echo "making a $mib MiB file and 10,000 small files in $work"
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/big/big.bin"
(cd "$work/big" && sha256sum big.bin >SHA256SUMS)
(
  cd "$work/many"
  for i in $(seq -w 1 10000); do printf 'file %s of the small set\n' "$i" >"f$i.txt"; done
  cksfv f*.txt >list.sfv
)
cp "$build/verifier/Corvana.exe" "$build/console/crvn.exe" "$work/exe/"
printf '[Corvana]\r\nSignature=bench\r\nUpdateDB=0\r\n' >"$work/exe/Corvana.ini"
bench_start_wine "$root/$build/wineprefix-bench"
crvn() { wine64 "$work/exe/crvn.exe" "$@" </dev/null >"$work/crvn.out" 2>&1; }
corvana() { wine64 "$work/exe/Corvana.exe" "$@" </dev/null >/dev/null 2>&1; }

big_crvn() { (cd "$work/big" && crvn check SHA256SUMS); }
big_corvana() { rm -f "$work/big/out.txt"; corvana "$(winpath "$work/big/SHA256SUMS")" OUTPUT:out.txt; }
many_crvn() { (cd "$work/many" && crvn check list.sfv); }
many_corvana() {
  rm -f "$work/many/out.txt"
  corvana "$(winpath "$work/many/list.sfv")" OUTPUT:out.txt NODBUPDATE
}
blake3_crvn() { (cd "$work/big" && crvn hash -a blake3 big.bin); }

echo "warming the page cache"
cat "$work/big/big.bin" >/dev/null
cat "$work"/many/f*.txt >/dev/null

# The results must be right before their times mean anything.
big_crvn && grep -qx 'big.bin: OK' "$work/crvn.out" || { echo "crvn check failed:"; cat "$work/crvn.out"; exit 1; }
big_corvana; grep -q 'All files OK' "$work/big/out.txt" || { echo "Corvana.exe failed"; exit 1; }
many_crvn && [ "$(grep -c ': OK$' "$work/crvn.out")" = 10000 ] || { echo "crvn check of 10,000 failed"; exit 1; }
many_corvana; grep -q 'All files OK' "$work/many/out.txt" || { echo "Corvana.exe on 10,000 failed"; exit 1; }
blake3_crvn
[ "$(cat "$work/crvn.out")" = "$(cd "$work/big" && b3sum big.bin)" ] || { echo "crvn hash -a blake3 differs from b3sum"; exit 1; }

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
t_big_crvn=$(fastest big_crvn)
t_big_corvana=$(fastest big_corvana)
t_sha256sum=$(fastest bash -c "cd '$work/big' && sha256sum -c SHA256SUMS")
t_many_crvn=$(fastest many_crvn)
t_many_corvana=$(fastest many_corvana)
t_b3_crvn=$(fastest blake3_crvn)
t_b3sum=$(fastest bash -c "cd '$work/big' && b3sum big.bin")
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

rate() { awk -v m="$mib" -v t="$1" 'BEGIN { printf "%.0f", m / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo
printf '%-52s %9s %10s\n' "case (best of $repeat, whole processes)" "seconds" "MiB/s"
printf '%-52s %9s %10s\n' "crvn check SHA256SUMS ($mib MiB)" "$t_big_crvn" "$(rate "$t_big_crvn")"
printf '%-52s %9s %10s\n' "Corvana.exe SHA256SUMS OUTPUT:" "$t_big_corvana" "$(rate "$t_big_corvana")"
printf '%-52s %9s %10s\n' "sha256sum -c SHA256SUMS" "$t_sha256sum" "$(rate "$t_sha256sum")"
printf '%-52s %9s\n' "crvn check list.sfv (10,000 small files)" "$t_many_crvn"
printf '%-52s %9s\n' "Corvana.exe list.sfv OUTPUT: NODBUPDATE" "$t_many_corvana"
printf '%-52s %9s %10s\n' "crvn hash -a blake3 ($mib MiB)" "$t_b3_crvn" "$(rate "$t_b3_crvn")"
printf '%-52s %9s %10s\n' "b3sum" "$t_b3sum" "$(rate "$t_b3sum")"
echo
echo "check: $(ratio "$t_big_crvn" "$t_big_corvana")x Corvana.exe's time (target at most 1.05x)," \
  "$(ratio "$t_sha256sum" "$t_big_crvn")x faster than sha256sum -c (target 3x)"
echo "10,000 small files: $(ratio "$t_many_crvn" "$t_many_corvana")x Corvana.exe's time (target at most 1.1x)"
echo "blake3: $(ratio "$t_b3sum" "$t_b3_crvn")x the speed of b3sum (target 1x)"
