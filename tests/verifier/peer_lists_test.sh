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

# The digest tools' lists: each verified with its own algorithm, the digest
# shown whole in upper case, a damaged file FAILED, the list's bytes never
# changed (no database is appended), and the exit codes of ERRORLEVEL.
# run_code LIST_DIR LIST_NAME [WORDS]: the exit code of a run.
run_code() {
  rm -f "$1/out.txt"
  "$wine_run" --prefix "$prefix" "$exe" "$(winpath "$1/$2")" OUTPUT:out.txt ${3:-} >/dev/null 2>&1
  echo $?
}
# xxhsum's untagged XXH3 lines of later versions ("XXH3_HEX  name"), made
# from 0.8.1's tagged ones.
xxh3_untagged() {
  xxhsum -H3 "$@" | sed -E 's/^XXH3 \((.*)\) = ([0-9a-f]{16})$/XXH3_\2  \1/'
}
# tool|list name|hex digits
digest_cases=(
  "sha256sum|SHA256SUMS|64" "sha1sum|list.sha1|40" "sha512sum|list.sha512|128"
  "b3sum|list.b3|64" "sha256sum --tag|tagged.sha256|64" "mixed|checksums.txt|0"
  "xxhsum -H0|list.xxh32|8" "xxhsum -H1|list.xxh64|16" "xxhsum -H2|list.xxh128|32"
  "xxhsum -H3|list.xxh3|16" "xxhsum -H1|list.xxh|16" "xxhsum -H2|any.xxh|32"
  "xxhsum -H0|by-length.txt|8" "xxhsum -H1|by-length.lst|16" "xxhsum --tag -H2|tagged.txt|32"
  "xxhsum --tag -H0|xxh-tagged|8" "xxh3_untagged|untagged.xxh3|16" "xxh3_untagged|xxh3.txt|16"
)
for case in "${digest_cases[@]}"; do
  IFS='|' read -r tool list digits <<<"$case"
  dir=$work/digest-${list}
  rm -rf "$dir" && mkdir -p "$dir/sub"
  head -c 100000 /dev/urandom > "$dir/my file.bin"
  head -c 65537 /dev/urandom > "$dir/sub/b.bin"
  head -c 0 /dev/urandom > "$dir/empty.bin"
  files=("my file.bin" sub/b.bin empty.bin)
  (
    cd "$dir" || exit 1
    if [ "$tool" = mixed ]; then  # each line's tag decides its algorithm
      { sha256sum --tag "${files[0]}"; sha512sum --tag "${files[1]}"
        echo "BLAKE3 (${files[2]}) = $(b3sum --no-names "${files[2]}")"
        md5sum --tag "${files[0]}"; xxhsum -H3 "${files[2]}"
        xxhsum --tag -H2 "${files[2]}"; xxhsum --tag -H1 "${files[0]}"; } > "$list"
    else
      $tool "${files[@]}" > "$list"
    fi
  )
  cp "$dir/$list" "$dir/list.copy"
  code=$(run_code "$dir" "$list" ERRORLEVEL)
  out=$(tr -d '\r' < "$dir/out.txt")
  [ "$code" = 0 ] || fail "$tool: ERRORLEVEL exit code $code, not 0"
  expect_line "$out" "All files OK" "$tool"
  for name in "${files[@]}"; do
    # The folder's separator shows as the list gives it or as '\'.
    pattern="^$(sed 's/[][\.*^$]/\\&/g; s#/#[/\\]#g' <<<"$name"): [0-9A-F]{${digits/#0/16,128}}:  OK\$"
    grep -qE "$pattern" <<<"$out" || fail "$tool: no OK line for '$name' in:"$'\n'"$out"
  done
  cmp -s "$dir/$list" "$dir/list.copy" || fail "$tool: the list was changed"

  byte=$(od -An -tu1 -j100 -N1 "$dir/sub/b.bin")
  printf "\\$(printf '%03o' $((255 - byte)))" |
    dd of="$dir/sub/b.bin" bs=1 seek=100 conv=notrunc status=none
  code=$(run_code "$dir" "$list" ERRORLEVEL)
  out=$(tr -d '\r' < "$dir/out.txt")
  [ "$code" = 1 ] || fail "$tool: ERRORLEVEL exit code $code after damage, not 1"
  grep -qE '^sub[/\\]b\.bin: [0-9A-F]+:  FAILED\.  CRC mismatch$' <<<"$out" ||
    fail "$tool: no FAILED line for sub/b.bin in:"$'\n'"$out"
  expect_line "$out" "There was 1 bad file" "$tool"
  cmp -s "$dir/$list" "$dir/list.copy" || fail "$tool: the list was changed by the second run"
  [ $status = 0 ] && echo "ok: $tool, $list"
done
# A list of lines no reader takes (xxhsum's little-endian tags, a digest
# this program does not compute) verifies nothing and stays byte for byte:
# no database is ever appended to it; neither to a list of no entry at all.
dir=$work/unreadable
rm -rf "$dir" && mkdir -p "$dir"
head -c 1000 /dev/urandom > "$dir/a.bin"
(
  cd "$dir" || exit 1
  xxhsum -H2 --little-endian --tag a.bin > unreadable.txt
  xxhsum -H3 --little-endian a.bin >> unreadable.txt
  echo "SHA3-256 (a.bin) = $(printf '%064d' 0)" >> unreadable.txt
  echo "; nothing but a comment" > comments.sfv
)
for list in unreadable.txt comments.sfv; do
  cp "$dir/$list" "$dir/list.copy"
  run "$dir" "$list" >/dev/null
  run "$dir" "$list" >/dev/null
  cmp -s "$dir/$list" "$dir/list.copy" || fail "$list: a list Corvana cannot read was changed"
done
# An SFV list of the peer's keeps its database, as it always did.
(cd "$dir" && cksfv a.bin > own.sfv)
run "$dir" own.sfv >/dev/null
grep -q '^;Q2-' "$dir/own.sfv" || fail "own.sfv: no database after a run"
[ $status = 0 ] && echo "ok: lists Corvana cannot read are left as they are"

# Clearsigned lists, signed by gpg with a throwaway key in a home folder of
# the test's own: each text format read inside the signature (the signature
# itself is not checked), dash-escaped lines unescaped, a line added behind
# the signature refused and failing the run, the list never written to.
if command -v gpg >/dev/null; then
  export GNUPGHOME=$work/gnupg
  # An agent an earlier run left for this home would answer for a key ring
  # that is gone; the one this run starts ends with it (below).
  [ -d "$GNUPGHOME" ] && gpgconf --kill gpg-agent >/dev/null 2>&1
  rm -rf "$GNUPGHOME" && mkdir -p "$GNUPGHOME" && chmod 700 "$GNUPGHOME"
  gpg --batch --passphrase '' --quick-gen-key 'Corvana Test <test@example.invalid>' \
    default default never >/dev/null 2>&1 || fail "gpg: no throwaway key"
  dir=$work/signed
  rm -rf "$dir" && mkdir -p "$dir"
  head -c 70000 /dev/urandom > "$dir/my file.bin"
  head -c 3000 /dev/urandom > "$dir/-dash.bin"
  files=("my file.bin" -dash.bin)
  (
    cd "$dir" || exit 1
    cksfv -- "${files[@]}" > list.sfv 2>/dev/null || rhash --sfv -- "${files[@]}" > list.sfv
    md5sum -- "${files[@]}" > list.md5
    sha256sum --tag -- "${files[@]}" > CHECKSUM
    xxhsum -H3 -- "${files[@]}" > list.xxh3
    xxhsum -H2 -- "${files[@]}" > list.xxh128
  )
  for list in list.sfv list.md5 CHECKSUM list.xxh3 list.xxh128; do
    (cd "$dir" && gpg --batch --yes --clearsign -o "signed-$list" "$list" 2>/dev/null) ||
      fail "gpg: $list not signed"
    signed=signed-$list
    gpg --batch --verify "$dir/$signed" 2>/dev/null || fail "gpg: $signed does not verify"
    grep -q '^- -' "$dir/$signed" || grep -q '^- ' "$dir/$signed" ||
      [ "$list" != list.sfv ] || fail "$signed: no dash-escaped line"
    cp "$dir/$signed" "$dir/signed.copy"
    code=$(run_code "$dir" "$signed" ERRORLEVEL)
    out=$(tr -d '\r' < "$dir/out.txt")
    [ "$code" = 0 ] || fail "$signed: ERRORLEVEL exit code $code, not 0:"$'\n'"$out"
    expect_line "$out" "The list is signed; its signature is not checked here" "$signed"
    expect_line "$out" "All files OK" "$signed"
    expect_line "$out" "2 files checked" "$signed"
    grep -qE '^-dash\.bin: [0-9A-F]+:  OK$' <<<"$out" || fail "$signed: -dash.bin not OK:"$'\n'"$out"
    cmp -s "$dir/$signed" "$dir/signed.copy" || fail "$signed: the list was changed"
    # A line added behind the signature, for a file that is there and sound.
    added=$(grep -v '^;' "$dir/$list" | grep -m1 'my file')
    printf '%s\n' "$added" >> "$dir/$signed"
    cp "$dir/$signed" "$dir/signed.copy"
    code=$(run_code "$dir" "$signed" ERRORLEVEL)
    out=$(tr -d '\r' < "$dir/out.txt")
    [ "$code" = 1 ] || fail "$signed + added line: ERRORLEVEL exit code $code, not 1"
    expect_line "$out" "Line outside the signed text: $added" "$signed + added line"
    expect_line "$out" "2 files checked" "$signed + added line"
    cmp -s "$dir/$signed" "$dir/signed.copy" || fail "$signed + added line: the list was changed"
    [ $status = 0 ] && echo "ok: signed $list"
  done
  gpgconf --kill gpg-agent >/dev/null 2>&1
else
  echo "skip: gpg is not installed"
fi

# Exit code 2 for a list that cannot be read; without ERRORLEVEL a failed
# file leaves the exit code as it always was.
dir=$work/digest-SHA256SUMS
printf 'not a CKZ list' > "$dir/bad.ckz"
[ "$(run_code "$dir" bad.ckz ERRORLEVEL)" = 2 ] || fail "ERRORLEVEL: an unreadable list is not 2"
[ "$(run_code "$dir" SHA256SUMS)" = 0 ] || fail "without ERRORLEVEL a failed file changed the exit code"

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
