#!/usr/bin/env bash
# Cross-checks the tavlin text commands against independent tools: coreutils
# base64 (both ways, on random data) and iconv (character-set conversion),
# and checks the exit codes.
#
#   tavlin_text_cli_test.sh PATH_TO_TAVLIN
#
# Exit 0 when everything agrees, 1 on a mismatch, 77 (skipped) when a tool
# is missing.
set -u

tavlin=${1:?usage: tavlin_text_cli_test.sh PATH_TO_TAVLIN}
for tool in base64 iconv cmp head od; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool not found"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tavlin_text_cli_test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

failures=0
checks=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# same_file WHAT EXPECTED_FILE ACTUAL_FILE
same_file() {
  checks=$((checks + 1))
  cmp -s "$2" "$3" || fail "$1: $(cmp "$2" "$3" 2>&1 | head -n 1)"
}

expect_equal() {
  checks=$((checks + 1))
  [[ "$2" == "$3" ]] || fail "$1: expected '$2', got '$3'"
}

hex() { od -An -tx1 | tr -d ' \n'; }

# ---- base64 against coreutils --------------------------------------------

# Sizes around the group of three and around the 1 MiB read pieces.
for size in 0 1 2 3 4 5 57 58 59 60 1000 1048575 1048576 1048577 3145730; do
  f="$work/r$size"
  head -c "$size" /dev/urandom >"$f"
  base64 -w0 <"$f" >"$f.ref64"
  "$tavlin" base64-encode <"$f" >"$f.our64"
  checks=$((checks + 1))
  [[ $? -eq 0 ]] || fail "base64-encode $size exited non-zero"
  same_file "base64-encode $size bytes" "$f.ref64" "$f.our64"
  "$tavlin" base64-decode <"$f.ref64" >"$f.dec"
  same_file "base64-decode of coreutils' text, $size bytes" "$f" "$f.dec"
  # coreutils' own line breaks (76 columns) are skipped.
  base64 <"$f" | "$tavlin" base64-decode >"$f.dec76"
  same_file "base64-decode of wrapped text, $size bytes" "$f" "$f.dec76"
  base64 -d <"$f.our64" >"$f.refdec" 2>/dev/null
  same_file "coreutils decodes ours, $size bytes" "$f" "$f.refdec"
done

expect_equal "base64-encode ab" "YWI=" "$(printf 'ab' | "$tavlin" base64-encode)"
expect_equal "base64-decode stops at =" "616263" "$(printf 'YWJj=ZZZ' | "$tavlin" base64-decode | hex)"
expect_equal "base64-decode empty" "" "$("$tavlin" base64-decode </dev/null | hex)"

# ---- quoted-printable ------------------------------------------------------

expect_equal "qp From" "=46rom x" "$(printf 'From x' | "$tavlin" qp-encode)"
expect_equal "qp escapes" "a=3Db=0A=C3=A9=20" "$(printf 'a=b\n\xc3\xa9 ' | "$tavlin" qp-encode)"
expect_equal "qp soft break" "$(printf '%076d=\r\n0000' 0 | hex)" \
  "$(printf '%080d' 0 | "$tavlin" qp-encode | hex)"

# ---- convert against iconv ---------------------------------------------------

# Every BMP character outside the surrogates, as UTF-8.
python3 -c '
import sys
sys.stdout.buffer.write("".join(chr(c) for c in range(1, 0x10000) if not 0xD800 <= c < 0xE000).encode())
' >"$work/bmp.utf8" 2>/dev/null || { echo "SKIP: python3 not found"; exit 77; }
iconv -f UTF-8 -t UTF-16LE <"$work/bmp.utf8" >"$work/bmp.ref16"
"$tavlin" convert 65001 1200 <"$work/bmp.utf8" >"$work/bmp.our16"
checks=$((checks + 1)); [[ $? -eq 0 ]] || fail "convert 65001 1200 exited non-zero"
same_file "convert UTF-8 -> UTF-16LE" "$work/bmp.ref16" "$work/bmp.our16"
"$tavlin" convert utf-16 utf-8 <"$work/bmp.ref16" >"$work/bmp.our8"
same_file "convert UTF-16LE -> UTF-8 by name" "$work/bmp.utf8" "$work/bmp.our8"
iconv -f UTF-8 -t UTF-16BE <"$work/bmp.utf8" >"$work/bmp.ref16be"
"$tavlin" convert 1201 65001 <"$work/bmp.ref16be" >"$work/bmp.our8be"
same_file "convert UTF-16BE -> UTF-8" "$work/bmp.utf8" "$work/bmp.our8be"

# Single-byte pages: every byte iconv can decode, both ways.
for pair in 1250:CP1250 1251:CP1251 1252:CP1252 1253:CP1253 1254:CP1254 1256:CP1256 \
            1257:CP1257 437:IBM437 850:IBM850 866:IBM866 28603:ISO-8859-13 28605:ISO-8859-15; do
  cp=${pair%%:*}
  name=${pair#*:}
  python3 -c 'import sys; sys.stdout.buffer.write(bytes(range(1, 256)))' |
    iconv -c -f "$name" -t UTF-8 >"$work/$cp.utf8" 2>/dev/null
  iconv -f UTF-8 -t "$name" <"$work/$cp.utf8" >"$work/$cp.ref"
  "$tavlin" convert utf-8 "$cp" <"$work/$cp.utf8" >"$work/$cp.our"
  checks=$((checks + 1)); [[ $? -eq 0 ]] || fail "convert utf-8 $cp exited non-zero"
  same_file "convert UTF-8 -> $cp" "$work/$cp.ref" "$work/$cp.our"
  "$tavlin" convert "$cp" 65001 <"$work/$cp.ref" >"$work/$cp.back"
  same_file "convert $cp -> UTF-8" "$work/$cp.utf8" "$work/$cp.back"
done

# A lossy conversion writes what it can and exits 1.
out=$(printf 'a\xd0\x96b' | "$tavlin" convert utf-8 windows-1252 2>"$work/stderr")
rc=$?
expect_equal "lossy convert exit code" "1" "$rc"
expect_equal "lossy convert output" "ab" "$out"
checks=$((checks + 1)); [[ -s "$work/stderr" ]] || fail "lossy convert says nothing on stderr"
expect_equal "convert keeps a same-page text" "efbbbf41" "$(printf '\xef\xbb\xbfA' | "$tavlin" convert 65001 65001 | hex)"
expect_equal "convert UTF-7" "Hiab!" "$(printf 'Hi+AGEAYg-!' | "$tavlin" convert utf-7 utf-8)"
printf 'x' | "$tavlin" convert 65001 28600 >/dev/null 2>&1
expect_equal "unsupported page exit code" "1" "$?"

# ---- Bad command lines: exit 2, one line on stderr, nothing on stdout --------

expect_exit() {
  local want=$1
  shift
  local out rc
  out=$("$tavlin" "$@" 2>"$work/stderr" </dev/null)
  rc=$?
  checks=$((checks + 1))
  if [[ $rc -ne $want ]]; then
    fail "tavlin $* exited $rc, expected $want"
  elif [[ -n "$out" ]]; then
    fail "tavlin $* printed to stdout: $out"
  elif [[ $(wc -l <"$work/stderr") -ne 1 ]]; then
    fail "tavlin $* should explain itself in one line on stderr, got: $(cat "$work/stderr")"
  fi
}
expect_exit 2 convert
expect_exit 2 convert 65001
expect_exit 2 convert 65001 1252 extra
expect_exit 2 convert utf-8 iso-8859-9
expect_exit 2 convert klingon 1252
expect_exit 2 convert 65001 70000
expect_exit 2 base64-encode extra
expect_exit 2 base64-decode -
expect_exit 2 qp-encode x

echo "$checks checks, $failures failures"
[[ $failures -eq 0 ]]
