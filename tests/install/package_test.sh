#!/usr/bin/env bash
# Builds the Debian package with cpack into a temporary folder and checks its
# name, version, file list and Depends line.
#
#   package_test.sh BUILD_DIR EXPECTED_FILES VERSION
set -euo pipefail
build="$1" expected="$2" version="$3"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) || {
  cat "$work/cpack.log"
  exit 1
}
deb="$(ls "$work"/out/tovik_*.deb)"
echo "== $(basename "$deb")"
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ "$(dpkg-deb -f "$deb" Package)" = tovik ] || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), not $version"
[ "$(basename "$deb")" = "tovik_${version}_$(dpkg --print-architecture).deb" ] || fail "file name $(basename "$deb")"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | LC_ALL=C sort >"$work/files"
LC_ALL=C sort "$expected" >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the expected list (- expected, + packaged)"
sed 's|^|  /usr/|' "$work/files"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
echo "Recommends: $(dpkg-deb -f "$deb" Recommends)"
names="$(sed 's/ ([^)]*)//g; s/ *| */\n/g; s/, /\n/g' <<<"$depends")"
# The libraries the programs link, found by dpkg-shlibdeps, and the font.
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libwmf-0.2-7 libemf2svg1 libseccomp2 \
         fonts-liberation2; do
  grep -qxF "$p" <<<"$names" || fail "Depends lacks $p"
done
# Nothing of a build: no development package, no sanitizer.
grep -Eq -- '-dev$|^libasan|^libubsan' <<<"$names" && fail "Depends names a build package"
exit "$failed"
