#!/usr/bin/env bash
# Whole-process timings of Corvana.exe under Wine beside the peers, on the
# same cached files in the same run:
#   - four large files from an SFV list: Corvana.exe OUTPUT: vs rhash -c and
#     cksfv -f;
#   - the same files from an MD5 list: Corvana.exe OUTPUT: vs md5sum -c;
#   - a 10,000-entry SFV list whose files are all previously verified (the
#     second run of Corvana.exe on it) beside cksfv -f on the same list;
#   - an empty list: the cost of starting a process under Wine;
#   - two lists of CORVANA_BENCH_NAMES (100,000) small files each, written by
#     cksfv, one of ASCII names and one of UTF-8 names (accents, Cyrillic,
#     Japanese), hashed with the database off: a UTF-8 list must verify at
#     the rate of an ASCII one (0 skips them; CORVANA_BENCH_UTF8=0 keeps only
#     the ASCII list, for a build that reads lists in the ANSI code page and
#     would resolve every UTF-8 name by a search of the whole folder).
# Every figure is the best of CORVANA_BENCH_REPEAT runs (3). The files live
# in a scratch folder under build/ (same disk) and are removed at the end.
# CORVANA_BENCH_BUILD=DIR takes Corvana.exe from DIR (build/win64-bench,
# else build/win64); CORVANA_BENCH_MIB=N sets the size of each large file.
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh

bench_corvana_build run-verifier
repeat=${CORVANA_BENCH_REPEAT:-3}

work=$root/build/bench-verifier
rm -rf "$work"
mkdir -p "$work/big" "$work/many" "$work/ascii" "$work/utf8"
names=${CORVANA_BENCH_NAMES:-100000}
utf8=${CORVANA_BENCH_UTF8:-1}
utf8_head=$'f\xc3\xafle \xd0\x96 ' utf8_tail=$' \xe6\x9d\xb1.txt'  # "fïle Ж <n> 東.txt"

# Four 1 GiB files when the disk has room for them and their copies in the
# page cache; smaller ones otherwise.
bench_size_mib "$work" 10 6

cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

echo "making 4 x $mib MiB files in $work/big"
for i in 1 2 3 4; do
  head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/big/part$i.bin"
done
(cd "$work/big" && cksfv part1.bin part2.bin part3.bin part4.bin >list.sfv)
(cd "$work/big" && md5sum part1.bin part2.bin part3.bin part4.bin >list.md5)

echo "making 10,000 small files in $work/many"
(
  cd "$work/many"
  for i in $(seq -w 1 10000); do printf 'file %s of the previously verified set\n' "$i" >"f$i.txt"; done
  cksfv f*.txt >list.sfv
  # Written before the first run, so the second run finds them unmodified.
  touch -d '-1 hour' f*.txt
)
if [ "$names" -gt 0 ]; then
  echo "making 2 x $names small files in $work/ascii and $work/utf8"
  # The same contents under both sets of names; cksfv takes them in batches.
  for i in $(seq -w 1 "$names"); do
    printf 'entry %s of a long list\n' "$i" >"$work/ascii/file $i.txt"
    [ "$utf8" = 0 ] ||
      printf 'entry %s of a long list\n' "$i" >"$work/utf8/$utf8_head$i$utf8_tail"
  done
  for set in ascii utf8; do
    [ "$set" = utf8 ] && [ "$utf8" = 0 ] && continue
    (cd "$work/$set" && find . -maxdepth 1 -name '*.txt' -printf '%P\0' | sort -z |
      xargs -0 cksfv >list.sfv)
  done
fi
: >"$work/empty.sfv"

# A copy of Corvana.exe with settings of its own (database on, a fixed
# signature), in a Wine prefix of the benchmark's own.
mkdir -p "$work/exe"
cp "$build/verifier/Corvana.exe" "$work/exe/Corvana.exe"
printf '[Corvana]\r\nSignature=bench\r\nUpdateDB=1\r\n' >"$work/exe/Corvana.ini"
bench_start_wine "$root/$build/wineprefix-bench"
corvana() { wine64 "$work/exe/Corvana.exe" "$@" </dev/null >/dev/null 2>&1; }

# Corvana on the big SFV list with the database off, so that no run finds
# the files previously verified.
sfv_corvana() { corvana "$(winpath "$work/big/list.sfv")" OUTPUT:out-sfv.txt NODBUPDATE; }
md5_corvana() { corvana "$(winpath "$work/big/list.md5")" OUTPUT:out-md5.txt; }
many_corvana() { corvana "$(winpath "$work/many/list.sfv")" OUTPUT:out-many.txt; }
ascii_corvana() { corvana "$(winpath "$work/ascii/list.sfv")" OUTPUT:out.txt NODBUPDATE; }
utf8_corvana() { corvana "$(winpath "$work/utf8/list.sfv")" OUTPUT:out.txt NODBUPDATE; }
empty_corvana() { corvana "$(winpath "$work/empty.sfv")" OUTPUT:out-empty.txt; }
in_big() { (cd "$work/big" && "$@"); }
in_many() { (cd "$work/many" && "$@"); }

echo "warming the page cache"
cat "$work"/big/*.bin >/dev/null
in_many cat f*.txt >/dev/null 2>&1 || true

# The results must be right before their times mean anything.
sfv_corvana
md5_corvana
grep -q 'All files OK' "$work/big/out-sfv.txt" || { echo "SFV run failed:"; cat "$work/big/out-sfv.txt"; exit 1; }
grep -q 'All files OK' "$work/big/out-md5.txt" || { echo "MD5 run failed:"; cat "$work/big/out-md5.txt"; exit 1; }
many_corvana # the first run hashes everything and stores the database
many_corvana
previously=$(grep -c 'Previously verified' "$work/many/out-many.txt" || true)
[ "$previously" = 10000 ] || { echo "second run of the 10,000-entry list: $previously previously verified"; exit 1; }

if [ "$names" -gt 0 ]; then
  ascii_corvana
  grep -q 'All files OK' "$work/ascii/out.txt" || { echo "ASCII run failed:"; tail -3 "$work/ascii/out.txt"; exit 1; }
  if [ "$utf8" != 0 ]; then
    utf8_corvana
    grep -q 'All files OK' "$work/utf8/out.txt" || { echo "UTF-8 run failed:"; tail -3 "$work/utf8/out.txt"; exit 1; }
  fi
fi

total_mib=$((4 * mib))
echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
t_sfv=$(fastest sfv_corvana)
t_rhash=$(fastest in_big rhash -c list.sfv)
t_cksfv=$(fastest in_big cksfv -q -f list.sfv)
t_md5=$(fastest md5_corvana)
t_md5sum=$(fastest in_big md5sum -c list.md5)
t_many=$(fastest many_corvana)
t_many_cksfv=$(fastest in_many cksfv -q -f list.sfv)
t_empty=$(fastest empty_corvana)
t_ascii=-; t_utf8=-
if [ "$names" -gt 0 ]; then
  t_ascii=$(fastest ascii_corvana)
  [ "$utf8" = 0 ] || t_utf8=$(fastest utf8_corvana)
fi
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

rate() { awk -v m="$total_mib" -v t="$1" 'BEGIN { printf "%.0f", m / t }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo
printf '%-52s %9s %10s\n' "case (best of $repeat, whole processes)" "seconds" "MiB/s"
printf '%-52s %9s %10s\n' "Corvana.exe list.sfv OUTPUT: (4 x $mib MiB, CRC-32)" "$t_sfv" "$(rate "$t_sfv")"
printf '%-52s %9s %10s\n' "rhash -c list.sfv" "$t_rhash" "$(rate "$t_rhash")"
printf '%-52s %9s %10s\n' "cksfv -f list.sfv" "$t_cksfv" "$(rate "$t_cksfv")"
printf '%-52s %9s %10s\n' "Corvana.exe list.md5 OUTPUT: (4 x $mib MiB, MD5)" "$t_md5" "$(rate "$t_md5")"
printf '%-52s %9s %10s\n' "md5sum -c list.md5" "$t_md5sum" "$(rate "$t_md5sum")"
printf '%-52s %9s\n' "Corvana.exe, 10,000 entries previously verified" "$t_many"
printf '%-52s %9s\n' "cksfv -f on the same 10,000 files" "$t_many_cksfv"
printf '%-52s %9s\n' "Corvana.exe on an empty list (Wine start-up)" "$t_empty"
printf '%-52s %9s\n' "Corvana.exe, $names entries, ASCII names, hashed" "$t_ascii"
printf '%-52s %9s\n' "Corvana.exe, $names entries, UTF-8 names, hashed" "$t_utf8"
echo
echo "SFV: $(ratio "$t_rhash" "$t_sfv")x faster than rhash -c (target 3x), $(ratio "$t_cksfv" "$t_sfv")x faster than cksfv -f"
echo "MD5: $(ratio "$t_md5sum" "$t_md5")x the speed of md5sum -c (target 1x)"
echo "10,000 previously verified entries: $t_many s (target < 1 s)"
[ "$names" -gt 0 ] && [ "$utf8" != 0 ] && echo "UTF-8 names: $(ratio "$t_utf8" "$t_ascii")x the time of ASCII names (target 1x)"
