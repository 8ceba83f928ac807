#!/usr/bin/env bash
# crvn.exe under Wine with its output redirected, against the peers on the
# same files: hash, check and create compared byte for byte with sha*sum,
# md5sum and b3sum (Unicode names included), lists of every type the peers
# write, damaged, missing and unreadable files, --quiet, --status, --strict,
# every exit code but Ctrl+C's, --expect with each digest form, and created
# lists checked by the peers. Every run is without a display: a window or a
# message box would show as Wine's complaint on standard error.
# Usage: crvn_test.sh CRVN_EXE WINE_RUN WINEPREFIX WORK_DIR
set -u
exe=$(realpath "$1") wine_run=$2 prefix=$3 work=$(realpath -m "$4")
status=0
fail() { echo "FAIL: $*"; status=1; }

# The prefix is made by the usual runner; after that the runs go straight to
# wine64 without a display, with a server kept alive between them.
"$wine_run" --prefix "$prefix" "$exe" --version >/dev/null 2>&1
export PATH=$PATH:/usr/lib/wine WINEPREFIX=$(realpath -m "$prefix") WINEARCH=win64
export WINEDEBUG=-all,+winediag WINEDLLOVERRIDES="mscoree=;mshtml="
wineserver -p 60

# crvn ARGS...: runs in the current folder; standard output in $out,
# standard error in $err, the exit code in $rc.
crvn() {
  env -u DISPLAY wine64 "$exe" "$@" >"$work/out" 2>"$work/err.raw"
  rc=$?
  # A new server starts the desktop's explorer, which complains on its own
  # thread; any other thread's complaint is a window of crvn's.
  local explorer
  explorer=$(grep -a 'explorer process failed' "$work/err.raw" | cut -d: -f1 | sort -u)
  if grep -a nodrv_CreateWindow "$work/err.raw" | grep -av "^${explorer:-none}:" | grep -q .; then
    fail "crvn $*: a window was created"
  fi
  grep -av ':winediag:' "$work/err.raw" >"$work/err"
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}
expect_rc() { [ "$rc" = "$1" ] || fail "$2: exit code $rc, not $1 (stderr: $err)"; }
same() {  # FILE_A FILE_B WHAT
  cmp -s "$1" "$2" || fail "$3 differs:"$'\n'"$(diff "$1" "$2" | head -20)"
}

rm -rf "$work" && mkdir -p "$work/d/sub" && cd "$work/d" || exit 1
printf 'hello\n' > a.txt
head -c 300000 /dev/urandom > b.bin
printf 'unicode\n' > 'ü名 file.txt'
: > empty
printf 'below\n' > sub/c.txt
files=(a.txt b.bin empty 'ü名 file.txt')

# hash: each algorithm as its peer prints it, --tag, several -a, -r.
for pair in sha256:sha256sum md5:md5sum sha1:sha1sum sha512:sha512sum blake3:b3sum; do
  alg=${pair%%:*} peer=${pair#*:}
  crvn hash -a "$alg" "${files[@]}"
  expect_rc 0 "hash -a $alg"
  $peer "${files[@]}" > ../peer
  same ../out ../peer "hash -a $alg"
done
# xxhsum 0.8.1 prints XXH32 (-H0), XXH64 (-H1) and XXH128 (-H2) untagged,
# XXH3 only tagged.
for pair in xxh32:0 xxh64:1 xxh128:2; do
  alg=${pair%%:*}
  crvn hash -a "$alg" "${files[@]}"
  expect_rc 0 "hash -a $alg"
  xxhsum -H"${pair#*:}" "${files[@]}" > ../peer 2>/dev/null
  same ../out ../peer "hash -a $alg"
done
crvn hash -a xxh3 "${files[@]}"
xxhsum -H3 "${files[@]}" > ../peer 2>/dev/null
same ../out ../peer "hash -a xxh3"
crvn hash --tag "${files[@]}"
sha256sum --tag "${files[@]}" > ../peer
same ../out ../peer "hash --tag"
crvn hash -a md5 -a sha1 a.txt
{ md5sum a.txt; sha1sum a.txt; } > ../peer
same ../out ../peer "hash -a md5 -a sha1"
crvn hash -r sub
sha256sum sub/c.txt > ../peer
same ../out ../peer "hash -r"
crvn hash sub
expect_rc 1 "hash of a folder without -r"
crvn hash nothere a.txt
expect_rc 1 "hash of a missing file"
[ "$err" = "crvn: nothere: No such file or directory" ] || fail "hash missing: '$err'"
[ "$out" = "$(sha256sum a.txt)" ] || fail "hash missing: the other file's line: '$out'"

# check: every list type the peers write verifies, with sha256sum -c's lines.
sha256sum "${files[@]}" > SHA256SUMS
sha1sum "${files[@]}" > list.sha1
sha512sum "${files[@]}" > list.sha512
md5sum "${files[@]}" > list.md5
b3sum "${files[@]}" > list.b3
sha256sum --tag "${files[@]}" > tagged.txt
cksfv a.txt b.bin empty > cksfv.sfv
rhash --sfv a.txt b.bin > rhash.sfv
parchive a -n 1 list.par a.txt b.bin >/dev/null 2>&1 || fail "parchive wrote no list"
for list in SHA256SUMS list.sha1 list.sha512 list.md5 list.b3 tagged.txt cksfv.sfv rhash.sfv \
  list.par; do
  crvn check "$list"
  expect_rc 0 "check $list"
  grep -qv ': OK$' ../out && fail "check $list: $(grep -v ': OK$' ../out)"
  [ -s ../out ] || fail "check $list: no lines"
done
sha256sum -c SHA256SUMS > ../peer
crvn check SHA256SUMS
same ../out ../peer "check SHA256SUMS"
b3sum --check list.b3 > ../peer
crvn check list.b3
same ../out ../peer "check list.b3"
crvn check SHA256SUMS list.md5
{ sha256sum -c SHA256SUMS; md5sum -c list.md5; } > ../peer
same ../out ../peer "check of two lists"

# Damaged, missing and unreadable files, an improperly formatted line: the
# same lines and warnings as sha256sum -c, with crvn's name.
cp -r . ../damaged && cd ../damaged || exit 1
printf 'x' | dd of=b.bin bs=1 seek=1000 conv=notrunc status=none
rm empty
# (root reads a file of mode 000: the unreadable case is then a second
# missing one, and the lines still agree.)
chmod 000 a.txt
echo 'this is no checksum line' >> SHA256SUMS
for opts in "" --quiet --status --strict "--quiet --strict"; do
  # shellcheck disable=SC2086
  crvn check $opts SHA256SUMS
  # shellcheck disable=SC2086
  sha256sum -c $opts SHA256SUMS >../peer 2>../peer.err
  peer_rc=$?
  same ../out ../peer "damaged check $opts (stdout)"
  sed 's/^sha256sum:/crvn:/' ../peer.err > ../peer.err2
  same ../err ../peer.err2 "damaged check $opts (stderr)"
  expect_rc $peer_rc "damaged check $opts"
done
chmod 644 a.txt
cd ../d || exit 1

# --strict fails on an improperly formatted line alone.
{ cat SHA256SUMS; echo 'junk'; } > junk.sha256
crvn check junk.sha256
expect_rc 0 "an improperly formatted line"
crvn check --strict junk.sha256
expect_rc 1 "--strict with an improperly formatted line"

# Exit code 2: a list that cannot be read, a wrong command line.
crvn check nothere.sha256
expect_rc 2 "a missing list"
[ "$err" = "crvn: nothere.sha256: No such file or directory" ] || fail "missing list: '$err'"
crvn check --bogus x
expect_rc 2 "an unknown option"
grep -q '^Usage: crvn check' ../err || fail "no usage after an unknown option"
crvn frobnicate
expect_rc 2 "an unknown command"
crvn --version
expect_rc 0 "--version"

# --expect: each form the digest finder knows.
sha=$(sha256sum b.bin | cut -c1-64)
SHA=$(tr a-f A-F <<<"$sha")
b3=$(b3sum b.bin | cut -c1-64)
md5=$(md5sum b.bin | cut -c1-32)
sri256=$(openssl dgst -sha256 -binary b.bin | base64 -w0)
sri512=$(openssl dgst -sha512 -binary b.bin | base64 -w0)
while IFS='|' read -r form named; do
  crvn hash --expect "$form" b.bin
  expect_rc 0 "--expect '$form'"
  [ "$out" = "b.bin: OK ($named)" ] || fail "--expect '$form': '$out'"
done <<EOF2
$sha|SHA-256
$SHA|SHA-256
sha256:$sha|SHA-256
SHA256=$SHA|SHA-256
SHA-256: $sha|SHA-256
$sha  b.bin|SHA-256
$sha *b.bin|SHA-256
SHA256 (b.bin) = $sha|SHA-256
sha256-$sri256|SHA-256
sha512-$sri512|SHA-512
$md5|MD5
$b3|BLAKE3
$(sed 's/\(....\)/\1 /g' <<<"$SHA")|SHA-256
EOF2
crvn hash --expect "${sha%?}0" b.bin
[ "${sha: -1}" = 0 ] || { expect_rc 1 "--expect a wrong digest"; [ "$out" = "b.bin: FAILED" ] || fail "wrong digest: '$out'"; }
crvn hash --expect "no digest here" b.bin
expect_rc 2 "--expect without a digest"
crvn hash --expect "$sha" nothere
expect_rc 1 "--expect of a missing file"

# create: each type, the peers check it; the digest lists byte for byte.
sorted=(a.txt b.bin empty 'ü名 file.txt')
for type in sfv md5 sha1 sha256 sha512 blake3 xxh3 xxh128; do
  rm -f "new.$type"
  crvn create -t "$type" -o "new.$type" "${sorted[@]}"
  expect_rc 0 "create -t $type"
  case $type in
    sfv) cksfv -q -f new.sfv >/dev/null 2>&1 || fail "cksfv -f rejects the created list" ;;
    md5) md5sum -c --quiet new.md5 2>/dev/null || fail "md5sum -c rejects the created list" ;;
    blake3) b3sum --check --quiet new.blake3 || fail "b3sum --check rejects the created list"
      b3sum "${sorted[@]}" > ../peer; same new.blake3 ../peer "create -t blake3" ;;
    xxh3 | xxh128) xxhsum -c --strict --quiet "new.$type" || fail "xxhsum -c rejects the $type list"
      xxhsum -H"$([ "$type" = xxh3 ] && echo 3 || echo 2)" "${sorted[@]}" > ../peer 2>/dev/null
      same "new.$type" ../peer "create -t $type" ;;
    *) "${type}sum" -c --strict --quiet "new.$type" || fail "${type}sum -c rejects the list"
      "${type}sum" "${sorted[@]}" > ../peer; same "new.$type" ../peer "create -t $type" ;;
  esac
done
crvn create -t sha256 -o SUMS.sha256 sub
expect_rc 0 "create of a folder"
[ "$(cat SUMS.sha256)" = "$(sha256sum sub/c.txt)" ] || fail "create of a folder: $(cat SUMS.sha256)"
cp new.sha256 before
crvn create -t sha256 -o new.sha256 a.txt
expect_rc 2 "create over an existing list"
same new.sha256 before "the list create refused to replace"
crvn create -t sha256 -o new.sha256 --force a.txt
expect_rc 0 "create --force"
[ "$(cat new.sha256)" = "$(sha256sum a.txt)" ] || fail "create --force: $(cat new.sha256)"
ls crv*.tmp >/dev/null 2>&1 && fail "a temporary list was left behind"
crvn create -t sha3 -o x.sha3 a.txt
expect_rc 2 "create of an unknown type"
crvn create -t sha256 -o partial.sha256 a.txt nothere
expect_rc 1 "create with a missing file"

exit $status
