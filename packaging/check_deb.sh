#!/usr/bin/env bash
# Checks a built package:
#   packaging/check_deb.sh DEB            contents, and that apt can satisfy every
#                                         dependency on a bare Debian system
#   packaging/check_deb.sh DEB --install  also installs it here (root), runs
#                                         `veldra-forge --version` and removes it
set -euo pipefail
deb=$1
install=${2:-}
say() { printf 'check_deb: %s\n' "$*" >&2; }
fail() { say "$*"; exit 1; }

[ -f "$deb" ] || fail "no package at $deb"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
need=(./usr/bin/veldra-forge
      ./usr/share/applications/org.veldraforge.VeldraForge.desktop
      ./usr/share/icons/hicolor/scalable/apps/org.veldraforge.VeldraForge.svg
      ./usr/share/metainfo/org.veldraforge.VeldraForge.metainfo.xml
      ./usr/share/veldra-forge/readme.txt)
# the command-line tool belongs in the package wherever the build made one
[ -x "$(dirname "$deb")/veldra-cli" ] && need+=(./usr/bin/veldra-cli)
for path in "${need[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$deb lacks $path"
done
say "contents: ${#need[@]} files present"

# solve the install against an empty system: every dependency must come from
# the archive (this uses the apt lists of this machine)
empty=$(mktemp)
trap 'rm -f "$empty"' EXIT
simulate() { apt-get install -s -q -o Dir::State::status="$empty" "$(realpath "$deb")" >/dev/null 2>&1; }
if ! simulate; then
  # a fresh machine may have no package lists yet
  if [ "$(id -u)" -eq 0 ]; then apt-get update -q >/dev/null 2>&1 || true; fi
  simulate || fail "apt cannot install $deb on a bare system (are the package lists there? apt-get update)"
fi
say "dependencies: apt can install them on a bare system"

if [ "$install" = "--install" ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$(realpath "$deb")" >/dev/null
  version=$(cd / && QT_QPA_PLATFORM=offscreen veldra-forge --version)
  tool=""
  if grep -qxF ./usr/bin/veldra-cli <<<"$contents"; then tool=$(cd / && veldra-cli --version); fi
  DEBIAN_FRONTEND=noninteractive apt-get purge -y -q veldra-forge >/dev/null
  [ -n "$version" ] || fail "the installed veldra-forge printed no version"
  say "installed, ran '$version'${tool:+ and '$tool'}, removed"
fi
