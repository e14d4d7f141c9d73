#!/usr/bin/env bash
# Builds Kovrinta's Debian package: installs what is missing (with lintian), configures a
# release build in its own folder (tests and benchmarks off) with Debian's hardening flags,
# builds it and runs `cpack -G DEB`; then the package must pass lintian without an error and
# the AppStream metadata must validate.
# Usage: tools/package.sh [BUILD_FOLDER]   (build-pkg by default)
# The package is BUILD_FOLDER/kovrinta_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
pasta=${1:-build-pkg}

bash tools/install-deps.sh --package

# Debian's own compiler and linker flags: the stack protector, fortified C functions, format
# checks and relocations made read-only and bound at start.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
cmake -S . -B "$pasta" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKOVRINTA_BUILD_TESTS=OFF -DKOVRINTA_BUILD_BENCH=OFF \
  "-DCMAKE_C_FLAGS=$CPPFLAGS $CFLAGS" "-DCMAKE_CXX_FLAGS=$CPPFLAGS $CXXFLAGS" \
  "-DCMAKE_EXE_LINKER_FLAGS=$LDFLAGS" "-DCMAKE_SHARED_LINKER_FLAGS=$LDFLAGS" \
  "-DCMAKE_MODULE_LINKER_FLAGS=$LDFLAGS"
cmake --build "$pasta"

rm -f "$pasta"/kovrinta_*.deb
(cd "$pasta" && cpack -G DEB)
pacotes=("$pasta"/kovrinta_*.deb)
[ ${#pacotes[@]} -eq 1 ] && [ -f "${pacotes[0]}" ] ||
  { echo "package.sh: cpack wrote no kovrinta_*.deb in $pasta" >&2; exit 1; }
pacote=${pacotes[0]}

echo "package.sh: lintian $pacote"
lintian --tag-display-limit 0 --fail-on error "$pacote"
appstreamcli validate --no-net packaging/io.github.kovrinta.Kovrinta.metainfo.xml
echo "package.sh: $pacote is ready ($(du -h "$pacote" | cut -f1))"
