#!/usr/bin/env bash
# installed-layout-test.sh BUILD_FOLDER SOURCE_FOLDER CXX_COMPILER "CXX_FLAGS"
#
# Installs the build into a temporary prefix and checks it from there only:
# the source and build folders are hidden behind empty file systems (a private
# mount namespace), so nothing can be found through them.
#   - VANTORViewer starts offscreen, finds its installed data (the per-user
#     settings file is made from the installed one) and waits at sign-in with
#     the installed libraries loaded; on an X display (Xvfb) its sign-in
#     window is there and carries the application icon;
#   - vantor-make-ct writes a series, zvdicom-dump lists a slice with the
#     installed dictionary;
#   - a project of its own builds against the libraries with find_package(VANTOR),
#     and a program with pkg-config, and both run;
#   - the desktop entry and metainfo validate, and the icon is in the theme.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  shift
  work=$1 build=$2 source=$3 compiler=$4 flags=$5
  # Hide the trees the installation must not need.
  cd "$work"
  mount -t tmpfs tmpfs "$source"
  if [ -d "$build" ]; then mount -t tmpfs tmpfs "$build"; fi
  prefix=$work/prefix
  export PATH="$prefix/bin:/usr/bin:/bin"
  # Nothing of the developer's set-up: no library path, no compiler launcher.
  unset LD_LIBRARY_PATH CMAKE_CXX_COMPILER_LAUNCHER CMAKE_C_COMPILER_LAUNCHER
  failures=0
  fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

  echo "== programs and libraries from $prefix"
  [ ! -e "$build/CMakeCache.txt" ] || fail "the build folder is still visible"
  for library in ZVDICOM ZVIPEngine ZVImgViewer; do
    soname=$(objdump -p "$prefix/lib/lib$library.so" | awk '/SONAME/ {print $2}')
    [ "$soname" = "lib$library.so.1" ] || fail "lib$library.so has SONAME '$soname'"
    [ -f "$prefix/lib/lib$library.so.1.0" ] || fail "lib$library.so.1.0 is not installed"
  done

  echo "== VANTORViewer waits at sign-in with its installed data"
  data=$prefix/share/vantor-viewer
  # A line that only the installed settings file has, so its copy is recognisable.
  echo "; installed copy $work" >> "$data/VANTOR_Viewer.ini"
  export XDG_CONFIG_HOME=$work/config HOME=$work/home QT_QPA_PLATFORM=offscreen
  mkdir -p "$HOME"
  VANTORViewer > "$work/viewer.log" 2>&1 &
  viewer=$!
  user_settings=$XDG_CONFIG_HOME/VANTORViewer/VANTOR_Viewer.ini
  for _ in $(seq 1 600); do
    [ -s "$user_settings" ] && break
    kill -0 "$viewer" 2>/dev/null || break
    sleep 0.1
  done
  if cmp -s "$data/VANTOR_Viewer.ini" "$user_settings"; then
    echo "settings file made from $data/VANTOR_Viewer.ini"
  else
    fail "the per-user settings file was not made from the installed one"
  fi
  # The settings file is made just before the sign-in dialog opens; the
  # dialog waits for a reader, so the program must still be running, with
  # the installed libraries loaded.
  if kill -0 "$viewer" 2>/dev/null; then
    for library in ZVDICOM ZVIPEngine ZVImgViewer; do
      grep -q " $prefix/lib/lib$library.so.1.0\$" "/proc/$viewer/maps" ||
        fail "VANTORViewer did not load $prefix/lib/lib$library.so.1.0"
    done
    kill "$viewer"
  else
    fail "VANTORViewer ended instead of waiting at sign-in"
  fi
  wait "$viewer" 2>/dev/null || true
  sed 's/^/   viewer: /' "$work/viewer.log"

  echo "== on an X display: the sign-in window, with the application icon"
  cat > "$work/window.sh" <<'WINDOW'
VANTORViewer > "$1/viewer-x11.log" 2>&1 &
viewer=$!
window=
for _ in $(seq 1 600); do
  window=$(xwininfo -root -tree 2>/dev/null | awk '/"Login"/ {print $1; exit}')
  [ -n "$window" ] && break
  kill -0 "$viewer" 2>/dev/null || break
  sleep 0.1
done
[ -n "$window" ] && xprop -id "$window" WM_CLASS _NET_WM_ICON | grep -E "^WM_CLASS|Icon \("
kill "$viewer" 2>/dev/null
wait "$viewer" 2>/dev/null
exit 0
WINDOW
  # A loaded machine can lose the race for a display number or the server's
  # start-up; a second or third server decides, a missing icon fails all three.
  for attempt in 1 2 3; do
    QT_QPA_PLATFORM=xcb xvfb-run -a bash "$work/window.sh" "$work" > "$work/window.txt" 2>&1 || true
    grep -q '^WM_CLASS(STRING)' "$work/window.txt" && break
    echo "   no sign-in window on display attempt $attempt"
  done
  cat "$work/window.txt"
  # The desktop entry's StartupWMClass names this class.
  grep -q '^WM_CLASS(STRING) = "VANTORViewer", "VANTORViewer"$' "$work/window.txt" ||
    fail "no sign-in window of class VANTORViewer on the X display"
  for size in 32 64; do
    grep -q "Icon ($size x $size):" "$work/window.txt" || fail "the sign-in window has no ${size}x${size} icon"
  done

  echo "== vantor-make-ct and zvdicom-dump"
  if vantor-make-ct --quiet --truth none --slices 3 --matrix 64x64 --threads 1 "$work/ct"; then
    slice=$(find "$work/ct" -name '*.dcm' | sort | head -n 1)
    [ -n "$slice" ] || fail "vantor-make-ct wrote no slice"
    # A name from the installed dictionary shows that it was found.
    if zvdicom-dump "$slice" > "$work/dump.txt"; then
      grep -aq "^(0010,0010) PatientName " "$work/dump.txt" || fail "zvdicom-dump did not name the elements: $(head -n 3 "$work/dump.txt")"
    else
      fail "zvdicom-dump failed"
    fi
    # The batch tools and the Python package (not in sanitizer builds) load the installed libraries.
    vantor-surface "$(dirname "$slice")" "$work/surface.stl" --threshold -500 > /dev/null || fail "vantor-surface failed"
    package=$(find "$prefix/lib" -path '*/dist-packages/vantor/__init__.py' | head -n 1)
    if [ -n "$package" ]; then
      PYTHONPATH=$(dirname "$(dirname "$package")") /usr/bin/python3 -c \
        "import sys, vantor; e, g = vantor.load_series(sys.argv[1]); assert e.Zdims == 3" "$(dirname "$slice")" \
        || fail "the installed Python package does not load a series"
    fi
  else
    fail "vantor-make-ct failed"
  fi

  echo "== a consumer project with find_package(VANTOR)"
  if cmake -S "$work/consumer" -B "$work/consumer-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
       -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_BUILD_TYPE=Release > "$work/consumer.log" 2>&1 &&
     cmake --build "$work/consumer-build" >> "$work/consumer.log" 2>&1; then
    if "$work/consumer-build/vantor-consumer" "$slice" > "$work/consumer.out" 2>&1; then
      cat "$work/consumer.out"
      grep -q "^image 64 x 64, viewer 64 x 64$" "$work/consumer.out" || fail "the consumer read the wrong size"
      for library in ZVDICOM ZVIPEngine ZVImgViewer; do
        grep -q "^$library 1\.0 $prefix/lib/lib$library.so.1\$" "$work/consumer.out" ||
          fail "the consumer did not load $library from the prefix"
      done
    else
      cat "$work/consumer.out"
      fail "the consumer program failed"
    fi
  else
    cat "$work/consumer.log"
    fail "the consumer project did not configure or build"
  fi

  echo "== a program built with pkg-config"
  export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
  libdir=$(pkg-config --variable=libdir zvdicom)
  # shellcheck disable=SC2046,SC2086
  if "$compiler" -std=c++20 $flags "$work/pkgconfig_consumer.cpp" -o "$work/pkgconfig-consumer" \
       $(pkg-config --cflags --libs zvdicom zvipengine) -Wl,-rpath,"$libdir"; then
    if "$work/pkgconfig-consumer" "$slice" > "$work/pkgconfig.out" 2>&1; then
      cat "$work/pkgconfig.out"
      grep -q "^ZVDICOM $prefix/lib/libZVDICOM.so.1\$" "$work/pkgconfig.out" ||
        fail "the pkg-config program did not load ZVDICOM from the prefix"
    else
      cat "$work/pkgconfig.out"
      fail "the pkg-config program failed"
    fi
  else
    fail "the pkg-config program did not build"
  fi
  [ "$(pkg-config --modversion zvipengine)" = "1.0" ] || fail "zvipengine.pc has the wrong version"

  echo "== desktop entry, metainfo and icon"
  id=org.vantor.VANTORViewer
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop-file-validate refused the entry"
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "appstreamcli refused the metainfo"
  grep -qx "Icon=$id" "$prefix/share/applications/$id.desktop" || fail "the entry names another icon"
  grep -qx "Exec=VANTORViewer" "$prefix/share/applications/$id.desktop" || fail "the entry starts another program"
  [ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
  for size in 16 32 48 64 128 256; do
    png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    # Bytes 16..23 of a PNG are its width and height, big-endian.
    dimensions=$(od -An -tu4 --endian=big -j16 -N8 "$png" 2>/dev/null | tr -s ' ' | sed 's/^ //')
    [ "$dimensions" = "$size $size" ] || fail "$png is not a ${size}x${size} PNG ($dimensions)"
  done

  if [ "$failures" -ne 0 ]; then
    echo "== $failures check(s) failed"
    exit 1
  fi
  echo "== the installed layout works on its own"
  exit 0
fi

if [ $# -ne 4 ]; then
  echo "usage: installed-layout-test.sh BUILD_FOLDER SOURCE_FOLDER CXX_COMPILER CXX_FLAGS" >&2
  exit 2
fi
build=$(cd "$1" && pwd) source=$(cd "$2" && pwd) compiler=$3 flags=$4
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d /tmp/vantor-install-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" > "$work/install.log"
cp -r "$here/consumer" "$work/consumer"
cp "$here/pkgconfig_consumer.cpp" "$here/installed-layout-test.sh" "$work/"
# Sanitizer builds: the leak suppressions must stay readable once the source is hidden.
if [ -f "$source/.ci/lsan.supp" ]; then
  cp "$source/.ci/lsan.supp" "$work/lsan.supp"
  export LSAN_OPTIONS="suppressions=$work/lsan.supp"
fi
# A private mount namespace (with a user namespace, so that it needs no root).
status=0
unshare --mount --map-root-user bash "$work/installed-layout-test.sh" --inside \
  "$work" "$build" "$source" "$compiler" "$flags" || status=$?
exit $status
