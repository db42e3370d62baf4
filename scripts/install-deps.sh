#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Run as root it installs what is missing; otherwise it prints the apt-get
# line to run and fails.
set -euo pipefail

packages=(
  cmake ninja-build g++ make python3
  googletest                    # sources for the per-toolchain GoogleTest builds
  mingw-w64                     # x86_64 and i686 Windows cross compilers
  wine64                        # runs the x86_64 Windows tests
  libbz2-dev                    # code-page tables are bzip2-packed
  zlib1g-dev libdeflate-dev libssl-dev openssl libbenchmark-dev   # test oracles and benchmark references
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q "${missing[@]}"
