#!/usr/bin/env bash
# Checks a built package without installing it: the files it holds, its own programs run from an
# extracted copy, the desktop, AppStream and manual-page validators, and lintian.
# Usage: scripts/check-package.sh PACKAGE.deb
set -euo pipefail
deb=$1
version=$(dpkg-deb -f "$deb" Version)
fail() { echo "package check: $*" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dpkg-deb -c "$deb" | awk '{ print $NF }' > "$work/files"
expected=(
  ./usr/bin/promtool ./usr/bin/promstation ./usr/bin/promstation-sim
  ./usr/share/applications/promstation.desktop ./usr/share/applications/promstation-sim.desktop
  ./usr/share/metainfo/org.promstation.PromStation.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/promstation.svg
  ./usr/share/man/man1/promtool.1.gz ./usr/share/man/man1/promstation.1.gz
  ./usr/share/man/man1/promstation-sim.1.gz
  ./usr/share/bash-completion/completions/promtool
  ./usr/lib/modules-load.d/promstation.conf
  ./usr/share/doc/promstation/copyright ./usr/share/doc/promstation/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/promstation.png")
done
for file in "${expected[@]}"; do
  grep -qxF "$file" "$work/files" || fail "$file is missing"
done
[ "$(dpkg-deb -f "$deb" Section)" = electronics ] || fail "section is not electronics"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "no dependency on Qt computed"

root="$work/root"
dpkg-deb -x "$deb" "$root"
[ "$("$root/usr/bin/promtool" --version)" = "promtool $version" ] || fail "promtool --version"
[ "$("$root/usr/bin/promtool" devices | wc -l)" -eq 46 ] || fail "promtool devices does not list 46 types"
for program in promstation promstation-sim; do
  QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version | grep -qF "$version" || fail "$program --version"
done

desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root/usr/share/metainfo/org.promstation.PromStation.metainfo.xml" >/dev/null
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/org.promstation.PromStation.metainfo.xml" \
  || fail "the metainfo has no release $version"
zcat "$root/usr/share/doc/promstation/changelog.gz" | head -n 1 | grep -qF "($version)" \
  || fail "the changelog's latest entry is not $version"
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
bash -n "$root/usr/share/bash-completion/completions/promtool"

# Errors fail; the accepted warnings are listed in the README.
lintian --fail-on error "$deb"
echo "Package $(basename "$deb"): files, programs, validators and lintian checked"
