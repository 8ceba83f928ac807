#!/usr/bin/env bash
# Many files under Wine beside the peers and the floor, on the same cached
# files in the same run:
#   - 10,000 files of 4 KiB: the floor (many_files_bench floor: open, read,
#     close each file with the plain wide calls in one thread; also with two
#     threads and bypassing the cache, for reference), rhash -c, md5sum -c and
#     cksfv -f on their lists, Corvana.exe on the same lists (OUTPUT:), and
#     the many-files engine alone with one and two files at once (CRC-32,
#     MD5);
#   - four large files: the engine alone with one and two files at once
#     (CRC-32, MD5) beside rhash -c, md5sum -c and Corvana.exe;
#   - Corvana.exe with the "Threads" setting at 1 and at 2 (one file at a
#     time, two files side by side) on every list;
#   - the first large file from a SHA256SUMS list beside sha256sum -c, and
#     from a .b3 list beside b3sum --num-threads 1 --check and b3sum --check;
#   - what the storage under the files says of its seek penalty.
# Whole processes, each figure the best of CORVANA_BENCH_REPEAT runs (3).
# The engine's digests are compared with cksfv's and md5sum's lists before
# any time is shown. The files live in a scratch folder under build/ and are
# removed at the end. CORVANA_BENCH_BUILD=DIR takes the programs from DIR
# (build/win64-bench); CORVANA_BENCH_MIB=N sets the large files' size (1024).
set -euo pipefail
root=${CORVANA_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root"
source bench/wine-bench.sh

build=${CORVANA_BENCH_BUILD:-build/win64-bench}
build=${build#$root/}
bench=$root/$build/bench/many_files_bench.exe
corvana=$root/$build/verifier/Corvana.exe
bench_need "$bench" win64-bench
bench_need "$corvana" win64-bench
repeat=${CORVANA_BENCH_REPEAT:-3}

work=$root/build/bench-many-files
rm -rf "$work"
mkdir -p "$work/many" "$work/big" "$work/exe1" "$work/exe2"
bench_size_mib "$work" 10 6

cleanup() {
  bench_stop_wine
  rm -rf "$work"
}
trap cleanup EXIT

echo "making 10,000 files of 4 KiB and 4 x $mib MiB files in $work"
head -c $((10000 * 4096)) /dev/urandom | split -a 5 -d -b 4096 - "$work/many/f"
(
  cd "$work/many"
  ls f* >names.txt
  cksfv f* >list.sfv
  md5sum f* >list.md5
)
for i in 1 2 3 4; do head -c $((mib * 1024 * 1024)) /dev/urandom >"$work/big/part$i.bin"; done
(
  cd "$work/big"
  ls part*.bin >names.txt
  cksfv part*.bin >list.sfv
  md5sum part*.bin >list.md5
  sha256sum part1.bin >SHA256SUMS
  b3sum part1.bin >list.b3
)
# Corvana.exe with the database off, so that every run hashes every file,
# one file at a time (exe1) and two side by side (exe2).
for k in 1 2; do
  cp "$corvana" "$work/exe$k/Corvana.exe"
  printf '[Corvana]\r\nUpdateDB=0\r\nThreads=%s\r\n' "$k" >"$work/exe$k/Corvana.ini"
done

bench_start_wine "$root/$build/wineprefix-many-files"
echo "warming the page cache"
cat "$work"/many/f* "$work"/big/*.bin >/dev/null
cat "$work"/big/*.bin >/dev/null

run() { wine64 "$bench" "$@" </dev/null 2>&1 | tr -d '\r'; }
in_many() { (cd "$work/many" && "$@"); }
in_big() { (cd "$work/big" && "$@"); }
floor() { in_many wine64 "$bench" floor names.txt "$@" </dev/null >/dev/null 2>&1; }
engine() { (cd "$work/$1" && wine64 "$bench" engine names.txt "$2" "$3" "out-$2-$3.txt" </dev/null >/dev/null 2>&1); }
# corvana THREADS DIR LIST
corvana() { (cd "$work/$2" && wine64 "$work/exe$1/Corvana.exe" "$(winpath "$work/$2/$3")" "OUTPUT:out-$1-$3.txt" NODBUPDATE </dev/null >/dev/null 2>&1); }

# The digests must be right before the times mean anything.
sorted() { tr -d '\r' <"$1" | grep -v '^;' | awk '{ print tolower($1) " " tolower($2) }' | sort; }
for dir in many big; do
  for k in 1 2; do
    engine "$dir" "$k" crc
    engine "$dir" "$k" md5
    [ "$(sorted "$work/$dir/out-$k-md5.txt")" = "$(sorted "$work/$dir/list.md5")" ] ||
      { echo "$dir: the engine's MD5 digests ($k at once) differ from md5sum's"; exit 1; }
    [ "$(awk '{ print $1 }' "$work/$dir/out-$k-crc.txt" | sort)" = \
      "$(tr -d '\r' <"$work/$dir/list.sfv" | grep -v '^;' | awk '{ print tolower($2) }' | sort)" ] ||
      { echo "$dir: the engine's CRC-32 values ($k at once) differ from cksfv's"; exit 1; }
  done
  lists="list.sfv list.md5"
  [ "$dir" = big ] && lists="$lists SHA256SUMS list.b3"
  for list in $lists; do
    for k in 1 2; do
      corvana "$k" "$dir" "$list"
      grep -q 'All files OK' "$work/$dir/out-$k-$list.txt" ||
        { echo "Corvana.exe did not verify $dir/$list:"; tail -3 "$work/$dir/out-$k-$list.txt"; exit 1; }
    done
    # Side by side the results file is the same, line for line.
    cmp -s "$work/$dir/out-1-$list.txt" "$work/$dir/out-2-$list.txt" ||
      { echo "$dir/$list: the results differ between Threads=1 and Threads=2"; exit 1; }
  done
done
floor_line=$(in_many run floor names.txt 1 | grep -v '^=')
seek_line=$(run seek "$(winpath "$work/many/names.txt")")

echo "load before timing: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min; $(nproc) cores)"
t_floor=$(fastest floor 1)
t_floor2=$(fastest floor 2)
t_floor_nb=$(fastest floor 1 nobuffer)
t_rhash=$(fastest in_many rhash -c list.sfv)
t_md5sum=$(fastest in_many md5sum -c list.md5)
t_cksfv=$(fastest in_many cksfv -q -f list.sfv)
t_c_sfv=$(fastest corvana 1 many list.sfv)
t_c_md5=$(fastest corvana 1 many list.md5)
t_c2_sfv=$(fastest corvana 2 many list.sfv)
t_c2_md5=$(fastest corvana 2 many list.md5)
t_e1c=$(fastest engine many 1 crc)
t_e2c=$(fastest engine many 2 crc)
t_e1m=$(fastest engine many 1 md5)
t_e2m=$(fastest engine many 2 md5)
b_rhash=$(fastest in_big rhash -c list.sfv)
b_md5sum=$(fastest in_big md5sum -c list.md5)
b_c_sfv=$(fastest corvana 1 big list.sfv)
b_c_md5=$(fastest corvana 1 big list.md5)
b_c2_sfv=$(fastest corvana 2 big list.sfv)
b_c2_md5=$(fastest corvana 2 big list.md5)
b_sha256sum=$(fastest in_big sha256sum -c SHA256SUMS)
b_c_sha256=$(fastest corvana 1 big SHA256SUMS)
b_b3sum1=$(fastest in_big b3sum --num-threads 1 --check list.b3)
b_b3sum=$(fastest in_big b3sum --check list.b3)
b_c_b3=$(fastest corvana 1 big list.b3)
b_e1c=$(fastest engine big 1 crc)
b_e2c=$(fastest engine big 2 crc)
b_e1m=$(fastest engine big 1 md5)
b_e2m=$(fastest engine big 2 md5)
echo "load after timing:  $(cut -d' ' -f1-3 /proc/loadavg)"

of() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
row() { printf '%-58s %8s s %8s\n' "$1" "$2" "$3"; }
echo
echo "$seek_line"
echo "$floor_line (single run)"
echo
echo "10,000 cached files of 4 KiB, whole processes (best of $repeat); last column: x the floor"
row "floor: open, read, close, one thread (plain wide calls)" "$t_floor" "1.00"
row "floor with two threads" "$t_floor2" "$(of "$t_floor2" "$t_floor")"
row "floor bypassing the cache, one thread" "$t_floor_nb" "$(of "$t_floor_nb" "$t_floor")"
row "engine, CRC-32, 1 file at a time" "$t_e1c" "$(of "$t_e1c" "$t_floor")"
row "engine, CRC-32, 2 files at once" "$t_e2c" "$(of "$t_e2c" "$t_floor")"
row "engine, MD5, 1 file at a time" "$t_e1m" "$(of "$t_e1m" "$t_floor")"
row "engine, MD5, 2 files at once" "$t_e2m" "$(of "$t_e2m" "$t_floor")"
row "Corvana.exe list.sfv OUTPUT:, Threads=1" "$t_c_sfv" "$(of "$t_c_sfv" "$t_floor")"
row "Corvana.exe list.sfv OUTPUT:, Threads=2" "$t_c2_sfv" "$(of "$t_c2_sfv" "$t_floor")"
row "Corvana.exe list.md5 OUTPUT:, Threads=1" "$t_c_md5" "$(of "$t_c_md5" "$t_floor")"
row "Corvana.exe list.md5 OUTPUT:, Threads=2" "$t_c2_md5" "$(of "$t_c2_md5" "$t_floor")"
row "rhash -c list.sfv (native)" "$t_rhash" "$(of "$t_rhash" "$t_floor")"
row "cksfv -f list.sfv (native)" "$t_cksfv" "$(of "$t_cksfv" "$t_floor")"
row "md5sum -c list.md5 (native)" "$t_md5sum" "$(of "$t_md5sum" "$t_floor")"
echo
echo "4 cached files of $mib MiB, whole processes (best of $repeat); last column: x faster than the peer"
row "engine, CRC-32, 1 file at a time (vs rhash -c)" "$b_e1c" "$(of "$b_rhash" "$b_e1c")"
row "engine, CRC-32, 2 files at once (vs rhash -c)" "$b_e2c" "$(of "$b_rhash" "$b_e2c")"
row "Corvana.exe list.sfv, Threads=1 (vs rhash -c)" "$b_c_sfv" "$(of "$b_rhash" "$b_c_sfv")"
row "Corvana.exe list.sfv, Threads=2 (vs rhash -c)" "$b_c2_sfv" "$(of "$b_rhash" "$b_c2_sfv")"
row "rhash -c list.sfv (native)" "$b_rhash" "1.00"
row "engine, MD5, 1 file at a time (vs md5sum -c)" "$b_e1m" "$(of "$b_md5sum" "$b_e1m")"
row "engine, MD5, 2 files at once (vs md5sum -c)" "$b_e2m" "$(of "$b_md5sum" "$b_e2m")"
row "Corvana.exe list.md5, Threads=1 (vs md5sum -c)" "$b_c_md5" "$(of "$b_md5sum" "$b_c_md5")"
row "Corvana.exe list.md5, Threads=2 (vs md5sum -c)" "$b_c2_md5" "$(of "$b_md5sum" "$b_c2_md5")"
row "md5sum -c list.md5 (native)" "$b_md5sum" "1.00"
echo
echo "1 cached file of $mib MiB, whole processes (best of $repeat); last column: x faster than the peer"
row "Corvana.exe SHA256SUMS (vs sha256sum -c)" "$b_c_sha256" "$(of "$b_sha256sum" "$b_c_sha256")"
row "sha256sum -c SHA256SUMS (native)" "$b_sha256sum" "1.00"
row "Corvana.exe list.b3 (vs b3sum --num-threads 1 --check)" "$b_c_b3" "$(of "$b_b3sum1" "$b_c_b3")"
row "b3sum --num-threads 1 --check list.b3 (native)" "$b_b3sum1" "1.00"
row "b3sum --check list.b3 (native, both cores)" "$b_b3sum" "$(of "$b_b3sum1" "$b_b3sum")"
