#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a private DESTDIR and uses it as a user and as another project would:
# the files in place, the desktop entry and AppStream data valid, the installed companion running
# on nothing from the build folder, and a C and a CMake program built against the library.
set -euo pipefail
build="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dest="$work/root"
DESTDIR="$dest" cmake --install "$build" > "$work/install.log"
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
includedir=$(sed -n 's/^CMAKE_INSTALL_INCLUDEDIR:PATH=//p' "$build/CMakeCache.txt")
root="$dest$prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

for file in bin/heliodial bin/heliodial-chart "$libdir/libephemlib.so.3" "$libdir/libephemlib.so" \
    include/ephemlib.h include/ephemlib_houses.h "$libdir/pkgconfig/ephemlib.pc" \
    "$libdir/cmake/ephemlib/ephemlibConfig.cmake" share/applications/heliodial.desktop \
    share/metainfo/net.heliodial.Heliodial.metainfo.xml \
    share/icons/hicolor/scalable/apps/heliodial.svg share/icons/hicolor/48x48/apps/heliodial.png \
    share/man/man1/heliodial.1.gz share/man/man1/heliodial-chart.1.gz; do
  [ -e "$root/$file" ] || fail "$file is not installed"
done
readelf -d "$root/$libdir/libephemlib.so.3" | grep -q 'SONAME.*libephemlib.so.3' \
  || fail "the library's soname is not libephemlib.so.3"
echo "installed tree complete"

desktop-file-validate "$root/share/applications/heliodial.desktop"
appstreamcli validate --no-net "$root/share/metainfo/net.heliodial.Heliodial.metainfo.xml" > /dev/null
echo "desktop entry and AppStream data valid"

# The installed companion with a clean environment; the loader lists every library it looks for
# and where, and no path may lead into the build folder.
home="$work/home"
mkdir -p "$home"
env -i HOME="$home" PATH=/usr/bin:/bin LD_DEBUG=libs "$root/bin/heliodial-chart" \
    --at "2000-01-01 12:00" --json > "$work/chart.json" 2> "$work/loader.log"
/usr/bin/python3 -c "import json,sys; c=json.load(open(sys.argv[1])); assert c['jd']==2451545, c" \
    "$work/chart.json"
loaded=$(sed -n 's/.*calling init: \(.*libephemlib.so.3\)$/\1/p' "$work/loader.log")
[ -n "$loaded" ] && [ "$(realpath "$loaded")" = "$(realpath "$root/$libdir/libephemlib.so.3")" ] \
  || fail "the installed program does not use the installed library (it loads '$loaded')"
if grep -qF "$(cd "$build" && pwd)" "$work/loader.log"; then
  fail "the installed program looks into the build folder"
fi
echo "installed heliodial-chart runs on the installed tree alone"

# Another project: C through pkg-config, C++ through find_package.
cat > "$work/julday.c" <<'CODE'
#include <ephemlib.h>
#include <stdio.h>
int main(void) {
  printf("%d\n", (int)JulDay(1, 1, 2000));
  return 0;
}
CODE
# The flags of the tree at $1, checked to lead into that tree and nowhere else, then the C
# program built with them and run on that tree's library. No sysroot is given: ephemlib.pc finds
# its prefix from where it lies.
buildWithPkgConfig() {
  local tree="$1" flags flag dir include="" lib=""
  flags=$(PKG_CONFIG_LIBDIR="$tree/$libdir/pkgconfig" PKG_CONFIG_PATH="" \
          pkg-config --cflags --libs ephemlib)
  for flag in $flags; do
    case "$flag" in
      -I*) dir="${flag#-I}"; include=1 ;;
      -L*) dir="${flag#-L}"; lib=1 ;;
      *) continue ;;
    esac
    case "$(realpath -m "$dir")" in
      "$(realpath -m "$tree/$includedir")" | "$(realpath -m "$tree/$libdir")") ;;
      *) fail "pkg-config for the tree at $tree gives $flag" ;;
    esac
  done
  if [ -z "$include" ] || [ -z "$lib" ]; then fail "pkg-config gives no -I and -L: $flags"; fi
  # shellcheck disable=SC2086  # the flags are several words
  cc -std=c11 -Wall -Werror -o "$work/julday" "$work/julday.c" $flags
  [ "$(LD_LIBRARY_PATH="$tree/$libdir" "$work/julday")" = 2451545 ] || fail "JulDay from C"
}
buildWithPkgConfig "$root"
echo "a C program builds with pkg-config and calls JulDay"

# The same build installed with another --prefix than it was configured for, as
# `cmake --install build --prefix /usr` of a build for /usr/local: the package files follow.
moved="$work/moved"
cmake --install "$build" --prefix "$moved" > "$work/install-moved.log"
if grep -qF "$prefix" "$moved/$libdir/pkgconfig/ephemlib.pc"; then
  fail "ephemlib.pc installed under $moved still names $prefix"
fi
buildWithPkgConfig "$moved"
echo "installed with --prefix $moved, pkg-config gives that prefix"

mkdir -p "$work/project"
cat > "$work/project/CMakeLists.txt" <<'CODE'
cmake_minimum_required(VERSION 3.25)
project(UsesEphemlib CXX)
find_package(ephemlib 3 REQUIRED)
add_executable(julday main.cpp)
target_link_libraries(julday PRIVATE ephemlib::ephemlib)
CODE
cat > "$work/project/main.cpp" <<'CODE'
#include <ephemlib.h>
#include <ephemlib_houses.h>
#include <cstdio>
int main() {
  double cusps[15] = {};
  ephem::HouseCusps(ephem::LinkedExports{}, ephem::HouseSystem::Equal, cusps, 14, 10.5, 40.0,
                    0.409, 0.0);
  std::printf("%d %d\n", JulDay(1, 1, 2000), cusps[1] > 0.0);
}
CODE
cmake -S "$work/project" -B "$work/project/build" -DCMAKE_PREFIX_PATH="$root" > "$work/cmake.log"
cmake --build "$work/project/build" > "$work/cmake-build.log"
[ "$(LD_LIBRARY_PATH="$root/$libdir" "$work/project/build/julday")" = "2451545 1" ] \
  || fail "ephemlib from find_package"
echo "a C++ program builds with find_package(ephemlib)"
