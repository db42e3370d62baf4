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

if [ ${#missing[@]} -ne 0 ]; then
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
fi

# The Windows builds compile libbz2 from Debian's bzip2 source package, as
# Debian ships no MinGW build of it. It is fetched once into
# build/third_party/ through a private deb-src list, so the system's own
# apt sources stay as they are.
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
third_party="$repo/build/third_party"
bzip2_dir="$third_party/bzip2-1.0.8"
if [ ! -f "$bzip2_dir/bzlib.h" ]; then
  mkdir -p "$third_party"
  apt_dir="$third_party/apt"
  mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  src_list=/etc/apt/sources.list.d/debian.sources
  if [ ! -f "$src_list" ]; then
    echo "install-deps: $src_list not found; cannot fetch the bzip2 sources" >&2
    exit 1
  fi
  sed 's/^Types: deb$/Types: deb-src/' "$src_list" >"$apt_dir/sources/debian-src.sources"
  apt_opts=(-o "Dir::Etc::SourceParts=$apt_dir/sources"
            -o "Dir::Etc::SourceList=$apt_dir/none.list"
            -o "Dir::State::Lists=$apt_dir/lists"
            -o "Dir::Cache=$apt_dir/cache")
  echo "Fetching the bzip2 sources into $third_party"
  apt-get "${apt_opts[@]}" -q update
  (cd "$third_party" && apt-get "${apt_opts[@]}" -q source --download-only bzip2)
  orig="$(ls "$third_party"/bzip2_1.0.8.orig.tar.* 2>/dev/null | head -n 1)"
  if [ -z "$orig" ]; then
    echo "install-deps: apt-get source gave no bzip2_1.0.8.orig tarball" >&2
    exit 1
  fi
  tar -xf "$orig" -C "$third_party"
  if [ ! -f "$bzip2_dir/bzlib.h" ]; then
    echo "install-deps: $orig did not unpack into $bzip2_dir" >&2
    exit 1
  fi
fi
