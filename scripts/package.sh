#!/usr/bin/env bash
# Installs what is missing, builds lotdraw in Release with Debian's hardening flags and makes the
# Debian package dist/lotdraw_<version>_<arch>.deb. Writing the package's sample name list starts
# LibreOffice.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

export LC_ALL=C.UTF-8
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DLOTDRAW_PACKAGE=ON -DLOTDRAW_BUILD_TESTS=OFF -DLOTDRAW_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build build-package -j"$(nproc)"

rm -rf build-package/cpack
(cd build-package && cpack -B cpack)
mkdir -p dist
rm -f dist/lotdraw_*.deb
cp build-package/cpack/lotdraw_*.deb dist/
ls dist/lotdraw_*.deb
