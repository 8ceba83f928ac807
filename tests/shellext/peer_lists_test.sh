#!/usr/bin/env bash
# Lists written by the shell extension (through shellext_create_tool under
# Wine) are accepted by cksfv, by md5sum (after "\" -> "/") and by
# Corvana.exe. cksfv gets the list with "/" too: it reads a "\" as part
# of the name. The selection mixes plain files, a file with spaces and a
# folder with a subfolder.
# Usage: peer_lists_test.sh CREATE_TOOL CORVANA_EXE WINE_RUN WINEPREFIX WORK_DIR
set -u
tool=$1 exe=$2 wine_run=$3 prefix=$4 work=$5
export WINEDEBUG=-all
status=0
fail() { echo "FAIL: $*"; status=1; }

rm -rf "$work" && mkdir -p "$work/sel/sub/deep"
cd "$work/sel" || exit 1
head -c 100000 /dev/urandom > "my file.bin"
head -c 54321 /dev/urandom > B.bin
: > empty.bin
head -c 4096 /dev/urandom > sub/z.bin
head -c 777 /dev/urandom > sub/deep/c.bin

for type in sfv md5; do
  list=$work/sel/list.$type
  rm -f "$list"
  "$wine_run" --prefix "$prefix" "$tool" "$type" "$list" \
    "$work/sel/my file.bin" "$work/sel/B.bin" "$work/sel/empty.bin" "$work/sel/sub" \
    >/dev/null 2>&1 || fail "$type: the tool failed"
  [ -f "$list" ] || { fail "$type: no list written"; continue; }
  grep -qv $'\r$' "$list" && fail "$type: a line without CR LF"
  case $type in
    sfv)
      tr '\\' '/' < "$list" > plain.sfv
      out=$(cksfv -q -f plain.sfv 2>&1) || fail "cksfv rejects the list: $out"
      ;;
    md5)
      tr '\\' '/' < "$list" | tr -d '\r' | grep -v '^;' > plain.md5
      [ "$(wc -l < plain.md5)" = 5 ] || fail "md5: not 5 checksum lines"
      out=$(md5sum -c plain.md5 2>&1) || fail "md5sum rejects the list: $out"
      ;;
  esac
  rm -f out.txt
  "$wine_run" --prefix "$prefix" "$exe" "$(echo "Z:$list" | tr / '\\')" OUTPUT:out.txt \
    >/dev/null 2>&1
  result=$(tr -d '\r' < out.txt 2>/dev/null)
  grep -qxF "All files OK" <<<"$result" || fail "Corvana.exe on the $type list:"$'\n'"$result"
  grep -qxF "5 files checked" <<<"$result" || fail "Corvana.exe did not check 5 files"
  [ $status = 0 ] && echo "ok: $type"
done
exit $status
