#!/usr/bin/env bash
# Lists written by the shell extension (through shellext_create_tool under
# Wine) are accepted by cksfv, by md5sum (after "\" -> "/") and by
# Corvana.exe; the digest lists as written by sha1sum, sha256sum, sha512sum
# (--strict), b3sum and xxhsum (XXH3 tagged, XXH128 untagged), which check
# them as they are. cksfv gets the list with "/" too: it reads a "\" as part
# of the name. The selection mixes plain files, a file with spaces and a
# folder with a subfolder. A second selection, a folder of the shared Unicode
# names (tests/platform/unicode_names.h), gives lists in UTF-8 that both
# peers read natively.
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
# The digest lists: checksum lines only, LF line ends, "/" between folders,
# checked by their own tools as they are.
check_digest_list() {  # TYPE LIST LINES WHAT
  local type=$1 list=$2 lines=$3 what=$4 out
  [ -f "$list" ] || { fail "$what $type: no list written"; return; }
  grep -q $'\r' "$list" && fail "$what $type: a CR in the list"
  grep -q '\\' "$list" && fail "$what $type: a backslash in the list"
  [ "$(wc -l < "$list")" = "$lines" ] || fail "$what $type: not $lines lines"
  case $type in
    sha1) out=$(sha1sum -c --strict "$list" 2>&1) ;;
    sha256) out=$(sha256sum -c --strict "$list" 2>&1) ;;
    sha512) out=$(sha512sum -c --strict "$list" 2>&1) ;;
    b3) out=$(b3sum -c "$list" 2>&1) ;;
    xxh3 | xxh128) out=$(xxhsum -c --strict "$list" 2>&1) ;;
  esac || fail "$what: the tool rejects the $type list: $out"
  case $type in
    xxh3) grep -qvE '^XXH3 \(.+\) = [0-9a-f]{16}$' "$list" && fail "$what xxh3: a line not tagged" ;;
    xxh128) grep -qvE '^[0-9a-f]{32}  .+$' "$list" && fail "$what xxh128: a line not untagged" ;;
  esac
}
for type in sha1 sha256 sha512 b3 xxh3 xxh128; do
  list=$work/sel/list.$type
  rm -f "$list"
  "$wine_run" --prefix "$prefix" "$tool" "$type" "$list" \
    "$work/sel/my file.bin" "$work/sel/B.bin" "$work/sel/empty.bin" "$work/sel/sub" \
    >/dev/null 2>&1 || fail "$type: the tool failed"
  check_digest_list "$type" "$list" 5 plain
  # Read back by Corvana.exe: every file OK, and the list never written to.
  cp "$list" "$list.copy"
  rm -f out.txt
  "$wine_run" --prefix "$prefix" "$exe" "$(echo "Z:$list" | tr / '\\')" OUTPUT:out.txt \
    >/dev/null 2>&1
  grep -qxF "All files OK" < <(tr -d '\r' < out.txt 2>/dev/null) ||
    fail "Corvana.exe on the $type list: $(cat out.txt 2>/dev/null)"
  cmp -s "$list" "$list.copy" || fail "$type: Corvana.exe changed the list"
  [ $status = 0 ] && echo "ok: $type"
done
[ "$(cut -c1-64 "$work/sel/list.sha256" | tr -d 0-9a-f | tr -d '\n')" = "" ] ||
  fail "sha256: the digests are not lower-case hex"
# Files side by side give the same list as one at a time.
CORVANA_THREADS=2 "$wine_run" --prefix "$prefix" "$tool" sha256 "$work/sel/two.sha256" \
  "$work/sel/my file.bin" "$work/sel/B.bin" "$work/sel/empty.bin" "$work/sel/sub" \
  >/dev/null 2>&1 || fail "Threads=2: the tool failed"
cmp -s "$work/sel/list.sha256" "$work/sel/two.sha256" || fail "Threads=2: another sha256 list"

# A folder holding a symbolic link to its parent (Wine 8 makes no junction or
# link of its own; it shows a Unix link as a reparse folder) is walked once:
# the link is not entered.
mkdir -p "$work/loop/sub"
head -c 100 /dev/urandom > "$work/loop/top.bin"
head -c 200 /dev/urandom > "$work/loop/sub/inner.bin"
ln -s .. "$work/loop/sub/up"
"$wine_run" --prefix "$prefix" "$tool" sfv "$work/loop.sfv" "$work/loop" >/dev/null 2>&1 ||
  fail "loop: the tool failed"
lines=$(tr -d '\r' < "$work/loop.sfv" 2>/dev/null | grep -v '^;')
[ "$lines" = "$(printf 'loop\\top.bin %s\nloop\\sub\\inner.bin %s' \
  "$(rhash --printf='%C' "$work/loop/top.bin")" "$(rhash --printf='%C' "$work/loop/sub/inner.bin")")" ] ||
  fail "loop: the folder was not walked once:"$'\n'"$lines"
[ $status = 0 ] && echo "ok: a link to the parent is not entered"

# The shared names, as tests/platform/unicode_names.h spells them.
src=$(dirname "$0")/../platform/unicode_names.h
mkdir -p "$work/uni/names"
cd "$work/uni" || exit 1
n=0
while IFS= read -r name; do
  printf '%s' "$name" > "names/$name"
  n=$((n + 1))
done < <(grep -o '^ *{"[^}]*, *\(true\|false\)}' "$src" | sed -E 's/^ *\{//; s/, *(true|false)\}$//' |
  python3 -c 'import sys, ast
for line in sys.stdin:
    parts = ast.literal_eval("(" + line.strip().replace("\" \"", "") + ",)")
    sys.stdout.write(parts[0].encode("latin-1").decode("utf-8") + "\n")')
[ "$n" -ge 9 ] || fail "unicode: only $n names read from the table"
if ! "$wine_run" --prefix "$prefix" "$tool" probe "$work/uni/names/$(ls names | grep -v '^[ -~]*$' | head -1)" \
  >/dev/null 2>&1; then
  echo "skip: unicode: the file hasher opens names through the ANSI code page"
  exit $status
fi
for type in sfv md5; do
  list=$work/uni/list.$type
  rm -f "$list"
  "$wine_run" --prefix "$prefix" "$tool" "$type" "$list" "$work/uni/names" >/dev/null 2>&1 ||
    fail "unicode $type: the tool failed"
  [ -f "$list" ] || { fail "unicode $type: no list written"; continue; }
  case $type in
    sfv)
      tr '\\' '/' < "$list" > plain.sfv
      out=$(cksfv -q -f plain.sfv 2>&1) || fail "cksfv rejects the Unicode list: $out"
      ;;
    md5)
      tr '\\' '/' < "$list" | tr -d '\r' | grep -v '^;' > plain.md5
      [ "$(wc -l < plain.md5)" = "$n" ] || fail "unicode md5: not $n checksum lines"
      out=$(md5sum -c plain.md5 2>&1) || fail "md5sum rejects the Unicode list: $out"
      ;;
  esac
  [ $status = 0 ] && echo "ok: unicode $type"
done
for type in sha1 sha256 sha512 b3 xxh3 xxh128; do
  list=$work/uni/list.$type
  rm -f "$list"
  "$wine_run" --prefix "$prefix" "$tool" "$type" "$list" "$work/uni/names" >/dev/null 2>&1 ||
    fail "unicode $type: the tool failed"
  check_digest_list "$type" "$list" "$n" unicode
  [ $status = 0 ] && echo "ok: unicode $type"
done
exit $status
