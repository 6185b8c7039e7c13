#!/usr/bin/env bash
# Checks a built Debian package of Tintora: it holds exactly the files of
# tests/package/files.txt, its Depends names the package of every shared
# library its programs load directly, and lintian finds no error.
#   tests/package/check-deb.sh tintora_VERSION_ARCH.deb
set -euo pipefail
deb="$1"
here="$(cd "$(dirname "$0")" && pwd)"
status=0

# The file list: regular files and links, directories left out.
if ! diff -u "$here/files.txt" <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort); then
  echo "check-deb: the package's files differ from tests/package/files.txt (- expected, + packaged)"
  status=1
fi

# The dependencies: each library a program needs, by its owning package.
depends=$(dpkg-deb -f "$deb" Depends)
# One package name a line, versions and alternatives left out.
depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g')
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
for program in "$unpacked"/usr/bin/*; do
  for library in $(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
    # awk reads to the end: leaving early would break ldconfig's pipe, which
    # pipefail turns into a failure of the whole check.
    path=$(ldconfig -p | awk -v name="$library" '$1 == name && !found {print $NF; found = 1}')
    owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr$path" 2>/dev/null || dpkg -S "${path#/usr}" 2>/dev/null || true)
    owner=${owner%%:*}
    if [ -z "$owner" ]; then
      echo "check-deb: no installed package holds $library, which $(basename "$program") needs"
      status=1
    elif ! grep -qxF "$owner" <<<"$depends_names"; then
      echo "check-deb: Depends lacks $owner, which holds $library for $(basename "$program")"
      status=1
    fi
  done
done
echo "Depends: $depends"

if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" || status=1
fi
exit $status
