#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a Linux desktop and the programs look for there:
# the three programs in bin/, the assets in share/kelmore/, the desktop entry, the .tvr MIME package and
# the icon; then starts the installed kelmore offscreen with a template and checks it stays up past its
# start-up (the about box closes after 3 s).
# Layer: tests.
# Usage: check_install.sh BUILD_FOLDER SOURCE_FOLDER
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d "${TMPDIR:-/tmp}/kelmore-install-XXXXXX")
trap 'rm -rf "$prefix"' EXIT
fail() {
  echo "install check: $*" >&2
  exit 1
}

cmake --install "$build" --prefix "$prefix" >/dev/null

for program in kelmore ferrant kelmore-sim; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing"
done
for asset in template1.tvr template2.tvr kelmore.png; do
  cmp -s "$source/share/$asset" "$prefix/share/kelmore/$asset" || fail "share/kelmore/$asset is missing or differs"
done
[ -f "$prefix/share/icons/hicolor/64x64/apps/kelmore.png" ] || fail "the icon is not in the hicolor theme"
entry=$prefix/share/applications/kelmore.desktop
[ -f "$entry" ] || fail "share/applications/kelmore.desktop is missing"
for line in 'Exec="kelmore" %f' 'Icon=kelmore' 'MimeType=application/x-vantelfile;'; do
  grep -qxF "$line" "$entry" || fail "the desktop entry lacks: $line"
done
package=$prefix/share/mime/packages/kelmore-vantelfile.xml
grep -qF '<glob pattern="*.tvr"/>' "$package" 2>/dev/null || fail "share/mime/packages lacks the .tvr type"

# Nothing of the build tree may help: no share/ beside the installed programs, folders of its own.
[ ! -e "$prefix/bin/share" ] || fail "bin/share must not be installed"
mkdir -p "$prefix/home/config" "$prefix/home/data"
status=0
XDG_CONFIG_HOME=$prefix/home/config XDG_DATA_HOME=$prefix/home/data QT_QPA_PLATFORM=offscreen \
  timeout 6 "$prefix/bin/kelmore" "$prefix/share/kelmore/template1.tvr" >"$prefix/kelmore.log" 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the installed kelmore ended early (status $status): $(cat "$prefix/kelmore.log")"
