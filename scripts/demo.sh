#!/usr/bin/env bash
# A short tour of what the library does today, checked against the system's
# own tools where they exist.
set -euo pipefail
build=${1:-build/native}
tavlin="$build/bin/tavlin"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf 'Tavlin SFX builds self-extracting archives for Windows.\n\n'
head -c 3000000 /dev/urandom > "$work/sample.bin"
echo "Digests of a 3 MB random file, by tavlin and by the system's tools:"
printf '  crc32   %s\n' "$("$tavlin" crc32 "$work/sample.bin")"
printf '  md5     %s   md5sum: %s\n' "$("$tavlin" md5 "$work/sample.bin")" "$(md5sum < "$work/sample.bin" | cut -d' ' -f1)"
printf '  sha1    %s   sha1sum: %s\n' "$("$tavlin" sha1 "$work/sample.bin")" "$(sha1sum < "$work/sample.bin" | cut -d' ' -f1)"
printf '  hmac    %s   (key 0b x20)\n' "$(printf 'Hi There' | "$tavlin" hmac-sha1 0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b)"
printf '  pbkdf2  %s   (password, salt, 4096, 20)\n' "$("$tavlin" pbkdf2-sha1 password 73616c74 4096 20)"
