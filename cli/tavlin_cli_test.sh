#!/usr/bin/env bash
# Cross-checks the tavlin digest commands against independent tools:
# md5sum, sha1sum, OpenSSL (HMAC, PBKDF2) and zlib (CRC-32, through python3
# or the gzip trailer), and checks the exit codes of bad command lines.
#
#   tavlin_cli_test.sh PATH_TO_TAVLIN
#
# Exit 0 when everything agrees, 1 on a mismatch, 77 (skipped) when OpenSSL
# is not installed. TAVLIN_CLI_SKIP_LARGE=1 leaves out the 4 GiB stream.
set -u

tavlin=${1:?usage: tavlin_cli_test.sh PATH_TO_TAVLIN}
if ! command -v openssl >/dev/null 2>&1; then
  echo "SKIP: openssl not found"
  exit 77
fi
for tool in md5sum sha1sum head od; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool not found"; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tavlin_cli_test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

failures=0
checks=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# expect_equal WHAT EXPECTED ACTUAL
expect_equal() {
  checks=$((checks + 1))
  if [[ "$2" != "$3" ]]; then
    fail "$1: expected '$2', got '$3'"
  fi
}

# ---- Oracles ------------------------------------------------------------

have_python=0
if command -v python3 >/dev/null 2>&1 && python3 -c 'import zlib' 2>/dev/null; then
  have_python=1
fi

# CRC-32 of a file (or of standard input for "-") as 8 lower-case hex digits.
crc32_oracle() {
  if ((have_python)); then
    python3 - "$1" <<'PY'
import sys, zlib
path = sys.argv[1]
f = sys.stdin.buffer if path == "-" else open(path, "rb")
crc = 0
while True:
    block = f.read(1 << 24)
    if not block:
        break
    crc = zlib.crc32(block, crc)
print("%08x" % crc)
PY
  else
    # The last 8 bytes of a gzip member: CRC-32 then size, little-endian.
    local le
    le=$(gzip -c <"$1" | tail -c 8 | head -c 4 | od -An -tx1 | tr -d ' \n')
    echo "${le:6:2}${le:4:2}${le:2:2}${le:0:2}"
  fi
}

# MD5 of standard input, read in large pieces.
big_oracle() {
  python3 -c '
import hashlib, sys
md5 = hashlib.md5()
while True:
    block = sys.stdin.buffer.read(1 << 24)
    if not block:
        break
    md5.update(block)
print(md5.hexdigest())
'
}

hmac_oracle() {  # KEYHEX FILE
  openssl dgst -sha1 -mac HMAC -macopt "hexkey:$1" <"$2" | awk '{print $NF}'
}

pbkdf2_oracle() {  # PASSWORD SALTHEX ITERATIONS LENGTH
  openssl kdf -keylen "$4" -kdfopt digest:SHA1 -kdfopt "pass:$1" -kdfopt "hexsalt:$2" \
    -kdfopt "iter:$3" PBKDF2 | tr -d ':\n' | tr 'A-F' 'a-f'
}

# ---- Inputs -------------------------------------------------------------

: >"$work/empty"
printf 'a' >"$work/one"
head -c 3145728 /dev/urandom >"$work/random3m"
head -c 1000003 /dev/urandom >"$work/odd"
files=(empty one random3m odd)

keys=(
  ""                                           # empty key
  "6b6579"                                     # "key"
  "$(printf '%0128x' 0 | tr 0 a)"              # exactly one block (64 bytes)
  "$(head -c 100 /dev/urandom | od -An -tx1 | tr -d ' \n')"  # longer than a block
)

for f in "${files[@]}"; do
  p="$work/$f"
  expect_equal "md5 $f" "$(md5sum <"$p" | cut -c1-32)" "$("$tavlin" md5 "$p")"
  expect_equal "sha1 $f" "$(sha1sum <"$p" | cut -c1-40)" "$("$tavlin" sha1 "$p")"
  expect_equal "crc32 $f" "$(crc32_oracle "$p")" "$("$tavlin" crc32 "$p")"
  for k in "${keys[@]}"; do
    [[ -z "$k" ]] && continue  # OpenSSL refuses an empty hexkey; covered below
    expect_equal "hmac-sha1 ${k:0:8}.. $f" "$(hmac_oracle "$k" "$p")" "$("$tavlin" hmac-sha1 "$k" "$p")"
  done
done

# Standard input: redirected, piped and named "-".
p="$work/random3m"
expect_equal "md5 <stdin" "$(md5sum <"$p" | cut -c1-32)" "$("$tavlin" md5 <"$p")"
expect_equal "sha1 |pipe" "$(sha1sum <"$p" | cut -c1-40)" "$(cat "$p" | "$tavlin" sha1)"
expect_equal "crc32 -" "$(crc32_oracle "$p")" "$("$tavlin" crc32 - <"$p")"
expect_equal "hmac-sha1 |pipe" "$(hmac_oracle 6b6579 "$p")" "$(cat "$p" | "$tavlin" hmac-sha1 6b6579)"
expect_equal "md5 empty stdin" "d41d8cd98f00b204e9800998ecf8427e" "$("$tavlin" md5 </dev/null)"

# Known answers that need no oracle.
expect_equal "crc32 123456789" "cbf43926" "$(printf '123456789' | "$tavlin" crc32)"
expect_equal "crc32 empty" "00000000" "$("$tavlin" crc32 "$work/empty")"
# RFC 2202 test case 2 and the empty key (HMAC of "" with "" is a fixed value).
expect_equal "hmac-sha1 rfc2202" "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79" \
  "$(printf 'what do ya want for nothing?' | "$tavlin" hmac-sha1 4a656665)"
expect_equal "hmac-sha1 empty key" "fbdb1d1b18aa6c08324b7d64b71fb76370690e1d" \
  "$("$tavlin" hmac-sha1 "" "$work/empty")"
# Upper-case key digits mean the same bytes.
expect_equal "hmac-sha1 upper-case key" "$("$tavlin" hmac-sha1 4a656665 "$work/one")" \
  "$("$tavlin" hmac-sha1 4A656665 "$work/one")"

# Output is exactly one line ending in "\n".
out_bytes=$("$tavlin" sha1 "$work/one" | od -An -c | tr -s ' ' | tr -d '\n')
checks=$((checks + 1))
[[ "$out_bytes" == *' \n' && "$out_bytes" != *'\r'* ]] || fail "output line ending: $out_bytes"
checks=$((checks + 1))
[[ $("$tavlin" sha1 "$work/one" | wc -c) -eq 41 ]] || fail "sha1 output is not 40 digits and a line feed"

# ---- PBKDF2 -------------------------------------------------------------

# RFC 6070.
expect_equal "pbkdf2 rfc6070 1" "0c60c80f961f0e71f3a9b524af6012062fe037a6" \
  "$("$tavlin" pbkdf2-sha1 password 73616c74 1 20)"
expect_equal "pbkdf2 rfc6070 4096" "4b007901b765489abead49d926f721d065a429c1" \
  "$("$tavlin" pbkdf2-sha1 password 73616c74 4096 20)"
expect_equal "pbkdf2 rfc6070 25" "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038" \
  "$("$tavlin" pbkdf2-sha1 passwordPASSWORDpassword 73616c7453414c5473616c7453414c5473616c7453414c5473616c7453414c5473616c74 4096 25)"

pbkdf2_cases=(
  "password|73616c74|2|20"
  "pass word|0001020304050607|1000|32"   # WinZip AES-256: 2 keys + verifier
  "x|ff|1|1"
  "secret|deadbeef|3|66"                 # four blocks, 6 bytes of the last
  "long password of more than sixty-four bytes, so HMAC hashes it first.|00|5|41"
  "p|$(printf '%0200x' 7)|7|19"          # 100-byte salt
)
for c in "${pbkdf2_cases[@]}"; do
  IFS='|' read -r pw salt iter len <<<"$c"
  expect_equal "pbkdf2 '$pw' $salt $iter $len" "$(pbkdf2_oracle "$pw" "$salt" "$iter" "$len")" \
    "$("$tavlin" pbkdf2-sha1 "$pw" "$salt" "$iter" "$len")"
done

# ---- Bad command lines: exit 2, one line on stderr, nothing on stdout ----

# expect_exit CODE ARGS...
expect_exit() {
  local want=$1
  shift
  local out err rc
  out=$("$tavlin" "$@" 2>"$work/stderr" </dev/null)
  rc=$?
  err=$(cat "$work/stderr")
  checks=$((checks + 1))
  if [[ $rc -ne $want ]]; then
    fail "tavlin $* exited $rc, expected $want (stderr: $err)"
  elif [[ -n "$out" ]]; then
    fail "tavlin $* printed to stdout: $out"
  elif [[ -z "$err" || $(wc -l <"$work/stderr") -ne 1 ]]; then
    fail "tavlin $* should explain itself in one line on stderr, got: $err"
  fi
}

expect_exit 2
expect_exit 2 frobnicate
expect_exit 2 MD5 "$work/one"
expect_exit 2 md5 "$work/one" "$work/one"
expect_exit 2 crc32 a b
expect_exit 2 sha1 a b c
expect_exit 2 hmac-sha1
expect_exit 2 hmac-sha1 abc "$work/one"        # odd number of digits
expect_exit 2 hmac-sha1 zz "$work/one"         # not hex
expect_exit 2 hmac-sha1 "0x12" "$work/one"     # no prefixes
expect_exit 2 hmac-sha1 "12 34" "$work/one"
expect_exit 2 hmac-sha1 00 "$work/one" extra
expect_exit 2 pbkdf2-sha1
expect_exit 2 pbkdf2-sha1 pw 00 1
expect_exit 2 pbkdf2-sha1 pw 00 1 20 extra
expect_exit 2 pbkdf2-sha1 pw 0g 1 20
expect_exit 2 pbkdf2-sha1 pw 000 1 20
for bad in "" abc -1 +1 " 1" "1 " 1x 0x10 4294967296 99999999999999999999 0; do
  expect_exit 2 pbkdf2-sha1 pw 00 "$bad" 20
  expect_exit 2 pbkdf2-sha1 pw 00 1 "$bad"
done

# ---- Unreadable files: exit 1 naming the file ------------------------------

for cmd in crc32 md5 sha1 "hmac-sha1 00"; do
  # shellcheck disable=SC2086
  "$tavlin" $cmd "$work/does-not-exist" >"$work/stdout" 2>"$work/stderr"
  rc=$?
  checks=$((checks + 1))
  if [[ $rc -ne 1 ]]; then
    fail "$cmd on a missing file exited $rc, expected 1"
  elif ! grep -q "does-not-exist" "$work/stderr" || ! grep -qi "no such file" "$work/stderr"; then
    fail "$cmd on a missing file should name it and the reason: $(cat "$work/stderr")"
  elif [[ -s "$work/stdout" ]]; then
    fail "$cmd on a missing file printed a result"
  fi
done
"$tavlin" md5 "$work" >"$work/stdout" 2>"$work/stderr"
rc=$?
checks=$((checks + 1))
[[ $rc -eq 1 && ! -s "$work/stdout" ]] && grep -q "$work" "$work/stderr" ||
  fail "md5 of a directory: exit $rc, stderr: $(cat "$work/stderr")"

# ---- Help ---------------------------------------------------------------

help=$("$tavlin" --help)
rc=$?
checks=$((checks + 1))
[[ $rc -eq 0 ]] || fail "--help exited $rc"
for cmd in crc32 md5 sha1 hmac-sha1 pbkdf2-sha1; do
  checks=$((checks + 1))
  grep -q "tavlin $cmd" <<<"$help" || fail "--help does not list $cmd"
done

# ---- A stream longer than 4 GiB ----------------------------------------

if [[ "${TAVLIN_CLI_SKIP_LARGE:-0}" != 1 ]] && ((have_python)); then
  # Past 4 GiB every 32-bit byte count has wrapped (and MD5's low bit-count
  # word many times): the stream must still hash like hashlib's.
  big=$((4 * 1024 * 1024 * 1024 + 3))
  head -c "$big" /dev/zero | tee >(big_oracle >"$work/big.expected") |
    "$tavlin" md5 >"$work/big.md5"
  # The oracle has read everything once tee is done; give it a moment to
  # print.
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    [[ -s "$work/big.expected" ]] && break
    sleep 1
  done
  expect_equal "md5 of 4 GiB + 3 zero bytes" "$(cat "$work/big.expected")" "$(cat "$work/big.md5")"
fi

echo "$checks checks, $failures failures"
((failures == 0))
