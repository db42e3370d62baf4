#!/usr/bin/env bash
# Checks "tavlin xml": the serialized layout byte for byte, the round trip of
# configuration documents, files in other encodings, deep documents, and
# the exit codes and log of inputs without an element.
#
#   tavlin_xml_cli_test.sh PATH_TO_TAVLIN
#
# Exit 0 when everything holds, 1 otherwise.
set -u

tavlin=${1:?usage: tavlin_xml_cli_test.sh PATH_TO_TAVLIN}
work=$(mktemp -d "${TMPDIR:-/tmp}/tavlin_xml_cli_test.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# same WHAT FILE1 FILE2
same() {
  cmp -s "$2" "$3" || fail "$1: $(od -c "$2" | head -5) ... differs from $(od -c "$3" | head -5)"
}

# ---- The five-line document ----------------------------------------------

printf '<?xml version="1.0" encoding="utf-8"?><R><C>1</C></R>' >"$work/five.xml"
printf '<?xml version="1.0" encoding="utf-8" ?>\r\n\r\n<R>\r\n    <C>1</C>\r\n</R>\r\n' >"$work/five.expected"
"$tavlin" xml <"$work/five.xml" >"$work/five.out" || fail "five-line document: exit $?"
same "five-line document from standard input" "$work/five.expected" "$work/five.out"
"$tavlin" xml "$work/five.xml" >"$work/five.file.out" || fail "five-line document from a file: exit $?"
same "five-line document from a file" "$work/five.expected" "$work/five.file.out"

# ---- Configuration documents round-trip ----------------------------------

cat >"$work/config.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<SfxConfig>
  <AutoTemp>0</AutoTemp>
  <ShowMain>1</ShowMain>
  <ShowProgress>1</ShowProgress>
  <WaitForSetup>1</WaitForSetup>
  <Encryption>1</Encryption>
  <KeyLength>256</KeyLength>
  <UnzipDir>%TEMP%\Tavlin &amp; Co &lt;x&gt;</UnzipDir>
  <DefaultDir>C:\Program Files\Äpfel</DefaultDir>
  <SetupExe>setup.exe</SetupExe>
  <SetupExeArgs>/s /v"/qn REBOOT='no'"</SetupExeArgs>
  <VersionCreatedBy>14.3.0</VersionCreatedBy>
  <MainTitle>Install “Thing”</MainTitle>
  <MainCaption>Pick a folder.</MainCaption>
  <MainWidth>420</MainWidth>
  <ErrPwdCaption>Wrong password; try again.</ErrPwdCaption>
</SfxConfig>
XML
"$tavlin" xml <"$work/config.xml" >"$work/config.1" || fail "configuration: exit $?"
"$tavlin" xml <"$work/config.1" >"$work/config.2" || fail "configuration, second round: exit $?"
same "configuration round trip" "$work/config.1" "$work/config.2"
grep -q '<UnzipDir>%TEMP%\\Tavlin &amp; Co &lt;x&gt;</UnzipDir>' "$work/config.1" ||
  fail "configuration: escaped text not kept"
grep -q '<SetupExeArgs>/s /v&quot;/qn REBOOT=&apos;no&apos;&quot;</SetupExeArgs>' "$work/config.1" ||
  fail "configuration: quotes not escaped"

# ---- A file in another encoding -------------------------------------------

printf '<?xml version="1.0" encoding="windows-1252"?><r><c>\xe9\x80</c></r>' >"$work/cp1252.xml"
"$tavlin" xml "$work/cp1252.xml" >"$work/cp1252.out" || fail "windows-1252 file: exit $?"
grep -q "$(printf '<c>\xc3\xa9\xe2\x82\xac</c>')" "$work/cp1252.out" || fail "windows-1252 file not converted"

# ---- Deep documents --------------------------------------------------------

if command -v python3 >/dev/null 2>&1; then
  python3 -c 'import sys; n = 100000; sys.stdout.write("<e>" * n + "x" + "</e>" * n)' >"$work/deep.xml"
  "$tavlin" xml <"$work/deep.xml" >"$work/deep.1" || fail "100,000 levels: exit $?"
  "$tavlin" xml <"$work/deep.1" >"$work/deep.2" || fail "100,000 levels, second round: exit $?"
  cmp -s "$work/deep.1" "$work/deep.2" || fail "100,000 levels: round trip differs"
fi

# ---- No element -------------------------------------------------------------

check_failure() {  # WHAT INPUT EXPECTED-IN-STDERR
  local rc
  printf '%s' "$2" | "$tavlin" xml >"$work/none.out" 2>"$work/none.err"
  rc=$?
  [[ $rc -eq 1 ]] || fail "$1: exit $rc, expected 1"
  [[ -s "$work/none.out" ]] && fail "$1: wrote to standard output"
  grep -q "$3" "$work/none.err" || fail "$1: '$3' not in: $(cat "$work/none.err")"
}
check_failure "text without markup" "just text" "LoadXml"
check_failure "unclosed comment" "<!-- <r>" "Unclosed comment"
"$tavlin" xml "$work/no-such-file.xml" >/dev/null 2>"$work/missing.err"
[[ $? -eq 1 ]] || fail "missing file: exit code"
grep -q "Failed\." "$work/missing.err" || fail "missing file: log not shown"
"$tavlin" xml a b >/dev/null 2>&1
[[ $? -eq 2 ]] || fail "two arguments: exit code"

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "tavlin xml: all checks passed"
