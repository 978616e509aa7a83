#!/usr/bin/env bash
# Checks the Debian package: every installed file is in it, and the programs it installs run.
#   check-package.sh PACKAGE.deb SAMPLE.vrk
set -euo pipefail
deb=$1 sample=$2
listing=$(dpkg-deb -c "$deb" | awk '{print $6}')
expected=(
  ./usr/bin/vrkviewer ./usr/bin/vrkinfo ./usr/bin/Vlogo.avi
  ./usr/share/applications/vrkviewer.desktop
  ./usr/share/mime/packages/vrkviewer.xml
  ./usr/share/icons/hicolor/scalable/apps/vrkviewer.svg
  ./usr/share/man/man1/vrkinfo.1
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
# The type is known by the extension and by the signature at offset 0.
mime="$root/usr/share/mime/packages/vrkviewer.xml"
grep -q 'glob pattern="\*.vrk"' "$mime" && grep -q 'offset="2" value="QDS TIN DTM FILE"' "$mime" ||
  { echo "the MIME type lacks its glob or its magic"; exit 1; }
# The version block survives the stripping.
readelf -S "$root/usr/bin/vrkviewer" | grep -q '\.vrkversion' || { echo "no version block"; exit 1; }
[ "$(head -c 4 "$root/usr/bin/Vlogo.avi")" = "RIFF" ] || { echo "no logo clip"; exit 1; }
echo "package $deb: ${#expected[@]} files, installs and runs"
