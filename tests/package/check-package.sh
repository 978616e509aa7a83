#!/usr/bin/env bash
# Checks the Debian package: every installed file is in it, and the programs it installs run.
#   check-package.sh PACKAGE.deb SAMPLE.vrk
set -euo pipefail
deb=$1 sample=$2
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
  ./usr/bin/vrkviewer ./usr/bin/vrkinfo ./usr/share/vrkviewer/Vlogo.avi
  ./usr/share/applications/vrkviewer.desktop
  ./usr/share/mime/packages/vrkviewer.xml
  ./usr/share/icons/hicolor/scalable/apps/vrkviewer.svg
  ./usr/share/man/man1/vrkinfo.1.gz ./usr/share/man/man1/vrkviewer.1.gz
  ./usr/share/doc/vrkviewer/copyright ./usr/share/doc/vrkviewer/changelog.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/vrkviewer.png")
done
for file in "${expected[@]}"; do
  grep -qx -- "$file" <<<"$listing" || { echo "missing from the package: $file"; exit 1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libqt6printsupport6 libqt6svg6 libqt6core6; do
  grep -q "$library" <<<"$depends" || { echo "no dependency on $library: $depends"; exit 1; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
version=$("$root/usr/bin/vrkinfo" --version)
[ "$version" = "vrkinfo $(dpkg-deb -f "$deb" Version)" ] || { echo "installed vrkinfo says: $version"; exit 1; }
"$root/usr/bin/vrkinfo" check "$sample" | tail -1 | grep -qx "0 problems found" ||
  { echo "installed vrkinfo check failed"; exit 1; }
# The type is known by the extension and by the signature after the file's first two bytes: a
# model renamed without its extension is still one, and the name decides for a foreign file.
data="$root/mime-test"
mkdir -p "$data/mime/packages"
cp "$root/usr/share/mime/packages/vrkviewer.xml" "$data/mime/packages/"
update-mime-database "$data/mime" >/dev/null 2>&1
cp "$sample" "$data/renamed-model"
echo "not a model" >"$data/foreign.vrk"
head -c 4096 /bin/sh >"$data/foreign-program"
filetype() { XDG_DATA_HOME="$data" XDG_DATA_DIRS=/usr/share xdg-mime query filetype "$1" 2>/dev/null; }
[ "$(filetype "$data/renamed-model")" = application/x-vrk-model ] ||
  { echo "a model without its extension is not recognised: $(filetype "$data/renamed-model")"; exit 1; }
[ "$(filetype "$data/foreign.vrk")" = application/x-vrk-model ] ||
  { echo "the .vrk extension is not recognised"; exit 1; }
[ "$(filetype "$data/foreign-program")" != application/x-vrk-model ] ||
  { echo "a foreign file is taken for a model"; exit 1; }
# The version block survives the stripping.
# (The listing is taken whole first: grep -q stopping early would end readelf with SIGPIPE,
# which pipefail counts as a failure.)
sections=$(readelf -S "$root/usr/bin/vrkviewer")
grep -q '\.vrkversion' <<<"$sections" || { echo "no version block"; exit 1; }
[ "$(head -c 4 "$root/usr/share/vrkviewer/Vlogo.avi")" = "RIFF" ] || { echo "no logo clip"; exit 1; }
# Debian's own checks: no errors.
findings=$(lintian --fail-on error "$deb" 2>&1) ||
  { echo "lintian finds errors:"; echo "$findings"; exit 1; }
grep -v '^running with root' <<<"$findings" || true
echo "package $deb: ${#expected[@]} files, installs and runs"
