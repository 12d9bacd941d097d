#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks it:
#   - the installed files are exactly those of the expected list;
#   - desktop-file-validate and appstreamcli validate pass on them;
#   - from a copy of the prefix moved elsewhere, the installed tovik finds its
#     installed helper and decodes a WMF picture. tovik reopens the picture
#     named in its settings once its window is up and clears the name when it
#     cannot read the picture, so under an Xvfb of our own: once the window
#     shows and the helper has finished, the name must still be there; and
#     with the helper removed, it must be gone.
#     The second start has English chosen: its window has the English title.
#
#   install_test.sh BUILD_DIR EXPECTED_FILES HELPER (relative to the prefix) WMF
set -euo pipefail
build="$1" expected="$2" helper="$3" wmf="$4"
title="Электрическое поле"

work="$(mktemp -d)"
xvfb_pid="" tovik_pid=""
cleanup() {
  [ -n "$tovik_pid" ] && kill "$tovik_pid" 2>/dev/null && wait "$tovik_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== Install into DESTDIR"
DESTDIR="$work/dest" cmake --install "$build" --prefix /usr >/dev/null
prefix="$work/dest/usr"
(cd "$prefix" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort) >"$work/installed"
LC_ALL=C sort "$expected" >"$work/expected"
if ! diff -u "$work/expected" "$work/installed"; then
  echo "FAIL: the installed files differ from the expected list (- expected, + installed)"
  exit 1
fi
sed 's|^|  /usr/|' "$work/installed"

echo "== desktop-file-validate"
desktop-file-validate "$prefix/share/applications/tovik.desktop"
echo "== appstreamcli validate --no-net"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml

echo "== The installed tovik from a moved copy of its prefix"
mkdir "$work/elsewhere"
cp -a "$prefix" "$work/elsewhere/tovik"
rm -rf "$work/dest"
moved="$work/elsewhere/tovik"
cp "$wmf" "$work/picture.wmf"

# An Xvfb of our own on a display number it picks itself. The file it writes
# the number to exists before the loop reads it.
: >"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  display="$(cat "$work/display")"
  [ -n "$display" ] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
mkdir -m 700 "$work/runtime"

# Starts the moved tovik over settings that name the picture (and the
# language $3), waits for its window of title $2 and prints the picture name
# the settings hold afterwards.
stored_name_after_start() {
  local config="$work/config-$1" title="$2"
  mkdir -p "$config/Quillfeather"
  printf '[General]\nFileName=%s\nLanguage=%s\n' "$work/picture.wmf" "$3" >"$config/Quillfeather/Tovik.conf"
  env -u TOVIK_BINARY_DIR DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$config" \
    XDG_RUNTIME_DIR="$work/runtime" "$moved/bin/tovik" >"$work/tovik-$1.log" 2>&1 &
  tovik_pid=$!
  local shown=""
  for _ in $(seq 600); do
    if xwininfo -display ":$display" -name "$title" 2>/dev/null | grep -q IsViewable; then
      shown=yes
      break
    fi
    kill -0 "$tovik_pid" 2>/dev/null || break
    sleep 0.1
  done
  # The picture loads after the window shows: wait until no helper runs any
  # more, then a moment for what tovik does with its answer.
  for _ in $(seq 300); do
    pgrep -P "$tovik_pid" >/dev/null || break
    sleep 0.1
  done
  sleep 0.5
  kill "$tovik_pid" 2>/dev/null || true
  wait "$tovik_pid" 2>/dev/null || true
  tovik_pid=""
  if [ -z "$shown" ]; then
    echo "FAIL: the window \"$title\" of the moved tovik never showed" >&2
    cat "$work/tovik-$1.log" >&2
    return 1
  fi
  sed -n 's/^FileName=//p' "$config/Quillfeather/Tovik.conf"
}

kept="$(stored_name_after_start with-helper "$title" ru)"
if [ "$kept" != "$work/picture.wmf" ]; then
  echo "FAIL: the moved tovik could not read the WMF picture with its helper $helper (settings now hold \"$kept\")"
  exit 1
fi
echo "  $moved/bin/tovik decoded the WMF picture with $moved/$helper"

rm "$moved/$helper"
cleared="$(stored_name_after_start without-helper "Electric Field" en)"
if [ -n "$cleared" ]; then
  echo "FAIL: without its helper the moved tovik still read the WMF picture (found another helper?)"
  exit 1
fi
echo "  without the helper it cannot, and forgets the picture; in English, its window is \"Electric Field\""
