#!/usr/bin/env bash
# List creation by the shell extension under Wine, beside the peers on the
# same cached files in the same run:
#   - one 1 GiB file: InvokeCommand of "&Create .SFV File" (from OK to the
#     end of the call) vs Corvana.exe verifying the same file (whole process,
#     and less the start-up measured on an empty list), rhash --sfv, cksfv;
#   - the same file as a SHA-256 list: InvokeCommand vs Corvana.exe verifying
#     a SHA256SUMS list of it (when it can) and sha256sum;
#   - a folder of 10,000 files of 4 KiB, selected as a folder: InvokeCommand
#     with one file at a time (Threads=1) and two at once (Threads=2) vs the
#     floor (many_files_bench floor: open, read, close in one thread with the
#     plain wide calls), rhash --sfv -r and cksfv on the same files;
#   - where the time of one small file goes (shellext_bench pieces), and what
#     reading bypassing the cache costs on the large file (shellext_bench reads).
# The creation runs inside a Wine virtual desktop: without a window manager
# every hidden or destroyed top-level window of Xvfb costs a fixed wait of
# Wine's X11 driver that Windows does not have.
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
bench=$root/$build/bench/shellext_bench.exe
corvana=$root/$build/verifier/Corvana.exe
bench_need "$bench" win64-bench
bench_need "$corvana" win64-bench
floor_bench=$root/$build/bench/many_files_bench.exe
bench_need "$floor_bench" win64-bench
repeat=${CORVANA_BENCH_REPEAT:-3}

work=$root/build/bench-shellext
rm -rf "$work"
mkdir -p "$work/big" "$work/many" "$work/empty"
bench_size_mib "$work" 4 3

cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

echo "making a $mib MiB file and 10,000 files of 4 KiB in $work"
head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/big/big.bin"
head -c $((10000 * 4096)) /dev/urandom | split -a 5 -d -b 4096 - "$work/many/f"
(cd "$work/big" && cksfv big.bin >peer.sfv && sha256sum big.bin >SHA256SUMS)
(cd "$work/many" && ls f* >"$work/names.txt")
: >"$work/empty/empty.sfv"

bench_start_wine "$root/$build/wineprefix-shellext"
echo "warming the page cache"
cat "$work/big/big.bin" "$work/many"/* >/dev/null
cat "$work/big/big.bin" >/dev/null

in_desktop() { wine64 explorer /desktop=corvana-bench,800x600 "$@" </dev/null 2>&1 | tr -d '\r'; }
created() { awk '$1 == "=" && $2 == "create" { print $3 }' <<<"$1"; }

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
out_big=$(in_desktop "$bench" create sfv "$(winpath "$work/big/shell.sfv")" "$repeat" \
  "$(winpath "$work/big/big.bin")")
t_shell_big=$(created "$out_big")
[ -n "$t_shell_big" ] || { echo "creation failed: $out_big"; exit 1; }
t_corvana=$(cd "$work/big" && fastest bash -c "cp peer.sfv verify.sfv && wine64 \"$corvana\" \"$(winpath "$work/big/verify.sfv")\" OUTPUT:out.txt")
grep -q "All files OK" "$work/big/out.txt" || { echo "Corvana.exe did not verify the file"; exit 1; }
t_start=$(cd "$work/empty" && fastest wine64 "$corvana" "$(winpath "$work/empty/empty.sfv")" OUTPUT:out.txt)
t_rhash_big=$(fastest rhash --sfv "$work/big/big.bin")
out_sha=$(CORVANA_THREADS=1 in_desktop "$bench" create sha256 "$(winpath "$work/big/shell.sha256")" \
  "$repeat" "$(winpath "$work/big/big.bin")")
t_shell_sha=$(created "$out_sha")
[ -n "$t_shell_sha" ] || { echo "creation failed: $out_sha"; exit 1; }
cmp -s "$work/big/shell.sha256" "$work/big/SHA256SUMS" || { echo "the SHA-256 list differs from sha256sum's"; exit 1; }
t_corvana_sha=$(cd "$work/big" && fastest wine64 "$corvana" "$(winpath "$work/big/SHA256SUMS")" OUTPUT:out-sha.txt)
grep -q "All files OK" "$work/big/out-sha.txt" || t_corvana_sha="(cannot)"
t_sha256sum=$(cd "$work/big" && fastest sha256sum -c SHA256SUMS)
t_cksfv_big=$(fastest cksfv "$work/big/big.bin")

out_many=$(CORVANA_THREADS=1 in_desktop "$bench" create sfv "$(winpath "$work/shell-many.sfv")" \
  "$repeat" "$(winpath "$work/many")")
t_shell_many=$(created "$out_many")
[ -n "$t_shell_many" ] || { echo "creation failed: $out_many"; exit 1; }
out_many2=$(CORVANA_THREADS=2 in_desktop "$bench" create sfv "$(winpath "$work/shell-many2.sfv")" \
  "$repeat" "$(winpath "$work/many")")
t_shell_many2=$(created "$out_many2")
[ -n "$t_shell_many2" ] || { echo "creation failed: $out_many2"; exit 1; }
cmp -s <(tail -n +2 "$work/shell-many.sfv") <(tail -n +2 "$work/shell-many2.sfv") ||
  { echo "Threads=2 wrote another list than Threads=1"; exit 1; }
t_floor=$(cd "$work/many" && fastest bash -c "wine64 \"$floor_bench\" floor \"$(winpath "$work/names.txt")\" 1 </dev/null >/dev/null 2>&1")
t_rhash_many=$(cd "$work" && fastest bash -c 'rhash --sfv -r many >rhash-many.sfv')
t_cksfv_many=$(cd "$work" && fastest bash -c 'cksfv many/* >cksfv-many.sfv')
pieces=$(wine64 "$bench" pieces "$(winpath "$work/many")" </dev/null 2>&1 | tr -d '\r')
reads=$(wine64 "$bench" reads "$(winpath "$work/big/big.bin")" </dev/null 2>&1 | tr -d '\r')
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

# The lists must agree before the times mean anything.
sum_of() { tr -d '\r' <"$1" | grep -v '^;' | awk '{ print $NF }' | sort | md5sum; }
[ "$(sum_of "$work/big/shell.sfv")" = "$(sum_of "$work/big/peer.sfv")" ] ||
  { echo "the 1 GiB file's CRC differs from cksfv's"; exit 1; }
[ "$(sum_of "$work/shell-many.sfv")" = "$(sum_of "$work/cksfv-many.sfv")" ] ||
  { echo "the small files' CRCs differ from cksfv's"; exit 1; }
[ "$(grep -vc '^;' "$work/shell-many.sfv")" = 10000 ] || { echo "not 10,000 lines"; exit 1; }

row() { printf '%-62s %8s s\n' "$1" "$2"; }
echo
echo "$mib MiB cached file (best of $repeat):"
row "shell extension, InvokeCommand from OK to its end" "$t_shell_big"
row "Corvana.exe verifying it, whole process" "$t_corvana"
row "Corvana.exe start-up alone (empty list)" "$t_start"
row "Corvana.exe verifying it, less the start-up" \
  "$(awk -v a="$t_corvana" -v b="$t_start" 'BEGIN { printf "%.3f", a - b }')"
row "shell extension, SHA-256 list, InvokeCommand" "$t_shell_sha"
row "Corvana.exe verifying its SHA256SUMS, whole process" "$t_corvana_sha"
row "sha256sum -c" "$t_sha256sum"
row "rhash --sfv" "$t_rhash_big"
row "cksfv" "$t_cksfv_big"
echo "$reads"
echo
echo "10,000 files of 4 KiB, a selected folder (best of $repeat):"
row "floor: open, read, close, one thread (whole process)" "$t_floor"
row "shell extension, Threads=1, InvokeCommand from OK to its end" "$t_shell_many"
row "shell extension, Threads=2, InvokeCommand from OK to its end" "$t_shell_many2"
row "rhash --sfv -r (whole process)" "$t_rhash_many"
row "cksfv (whole process)" "$t_cksfv_many"
echo
echo "where the time of one small file goes (single runs):"
grep -v '^=' <<<"$pieces"
