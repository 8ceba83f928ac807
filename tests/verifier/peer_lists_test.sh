#!/usr/bin/env bash
# Lists written by the peers (cksfv, rhash --sfv, md5sum, parchive) verify
# with Corvana.exe; after one file is corrupted, one renamed with its spaces
# turned into underscores and one removed, the result lines say so.
# Usage: peer_lists_test.sh CORVANA_EXE WINE_RUN WINEPREFIX WORK_DIR
set -u
exe=$1 wine_run=$2 prefix=$3 work=$4
export WINEDEBUG=-all
status=0
fail() { echo "FAIL: $*"; status=1; }

winpath() { echo "Z:$1" | tr / '\\'; }

# run LIST_DIR LIST_NAME: verifies and prints the results file.
run() {
  rm -f "$1/out.txt"
  "$wine_run" --prefix "$prefix" "$exe" "$(winpath "$1/$2")" OUTPUT:out.txt >/dev/null 2>&1
  tr -d '\r' < "$1/out.txt"
}

expect_line() {  # OUTPUT PATTERN WHAT
  grep -qxF -- "$2" <<<"$1" || fail "$3: no line '$2' in:"$'\n'"$1"
}

for peer in cksfv rhash md5sum parchive; do
  dir=$work/$peer
  rm -rf "$dir" && mkdir -p "$dir"
  head -c 100000 /dev/urandom > "$dir/my file.bin"
  head -c 54321 /dev/urandom > "$dir/b.bin"
  head -c 777 /dev/urandom > "$dir/c.bin"
  (
    cd "$dir" || exit 1
    case $peer in
      cksfv) cksfv "my file.bin" b.bin c.bin > list.sfv ;;
      rhash) rhash --sfv "my file.bin" b.bin c.bin > list.sfv ;;
      md5sum) md5sum "my file.bin" b.bin c.bin > list.md5 ;;
      parchive) parchive a -n 1 list.par "my file.bin" b.bin c.bin > /dev/null 2>&1 ;;
    esac
  )
  list=$(cd "$dir" && ls list.sfv list.md5 list.par 2>/dev/null | head -1)
  [ -n "$list" ] || { fail "$peer wrote no list"; continue; }

  out=$(run "$dir" "$list")
  expect_line "$out" "All files OK" "$peer first run"
  expect_line "$out" "3 files checked" "$peer first run"

  # One byte of b.bin flipped, "my file.bin" renamed, c.bin removed. The
  # byte is replaced by its complement: a fixed value would leave the random
  # file unchanged once in 256 runs.
  byte=$(od -An -tu1 -j100 -N1 "$dir/b.bin")
  printf "\\$(printf '%03o' $((255 - byte)))" |
    dd of="$dir/b.bin" bs=1 seek=100 conv=notrunc status=none
  mv "$dir/my file.bin" "$dir/my_file.bin"
  rm "$dir/c.bin"
  out=$(run "$dir" "$list")
  grep -q '^b\.bin: [0-9a-fA-F]*:  FAILED\.  CRC mismatch$' <<<"$out" ||
    fail "$peer: no CRC mismatch line for b.bin in:"$'\n'"$out"
  grep -q '^my file\.bin: [0-9A-F]*:  OK$' <<<"$out" ||
    fail "$peer: the renamed file was not resolved in:"$'\n'"$out"
  expect_line "$out" "c.bin: :   FAILED.  File does not exist" "$peer"
  expect_line "$out" "There was 1 bad file and 1 missing file" "$peer"
  [ $status = 0 ] && echo "ok: $peer"
done

# Lists of the shared table of names (tests/platform/unicode_names.h: accents,
# Cyrillic, Greek, Japanese, an emoji, a name ending in a dot), written in
# UTF-8 by the peers on Linux: every row OK, every name as it is in the
# results file (UTF-8, as the list was read).
names=()
while IFS= read -r literal; do
  names+=("$(printf '%b' "$literal")")
done < <(grep -E '^ *\{"' "$(dirname "$0")/../platform/unicode_names.h" |
  sed -E 's/^ *\{//; s/, (true|false)\},.*$//; s/" *"//g; s/^"//; s/"$//')
[ ${#names[@]} -ge 8 ] || fail "only ${#names[@]} names read from unicode_names.h"
for peer in md5sum cksfv rhash; do
  dir=$work/unicode-$peer
  rm -rf "$dir" && mkdir -p "$dir"
  for name in "${names[@]}"; do head -c 3000 /dev/urandom > "$dir/$name"; done
  (
    cd "$dir" || exit 1
    case $peer in
      md5sum) md5sum "${names[@]}" > list.md5 ;;
      cksfv) cksfv "${names[@]}" > list.sfv ;;
      rhash) rhash --sfv "${names[@]}" > list.sfv ;;
    esac
  )
  list=$(cd "$dir" && ls list.sfv list.md5 2>/dev/null | head -1)
  out=$(run "$dir" "$list")
  expect_line "$out" "All files OK" "$peer, Unicode names"
  expect_line "$out" "${#names[@]} files checked" "$peer, Unicode names"
  for name in "${names[@]}"; do
    grep -qE "^$(printf '%s' "$name" | sed 's/[][\.*^$]/\\&/g'): [0-9A-F]+:  OK\$" <<<"$out" ||
      fail "$peer: no OK line for '$name' in:"$'\n'"$out"
  done
  [ $status = 0 ] && echo "ok: $peer, Unicode names"
done
exit $status
