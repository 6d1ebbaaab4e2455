#!/usr/bin/env bash
# Checks the Windows zip of the tool:
#   packaging/check_zip.sh ZIP
# it holds exactly veldra-cli.exe, README.txt and LICENSE.txt; the program is
# a 64-bit Windows program that needs no DLL beyond those every Windows has
# (the C++ runtime and zlib are linked in); it carries a version resource and
# a long-path-aware manifest; the texts have Windows line ends, the README is
# the tool's part, the licences come with every text they name; and the
# program runs under Wine and tells the version its resource tells. WINEPREFIX names the
# Wine prefix to run it in (made on first use).
set -euo pipefail
zip=$(realpath -m "$1")
say() { printf 'check_zip: %s\n' "$*" >&2; }
fail() { say "$*"; exit 1; }

[ -f "$zip" ] || fail "no zip at $zip"
contents=$(cmake -E tar tf "$zip" | sort | tr '\n' ' ')
[ "$contents" = "LICENSE.txt README.txt veldra-cli.exe " ] \
  || fail "$zip holds '$contents', not exactly LICENSE.txt README.txt veldra-cli.exe"
say "contents: veldra-cli.exe, README.txt, LICENSE.txt"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && cmake -E tar xf "$zip")
exe=$work/veldra-cli.exe

x86_64-w64-mingw32-objdump -f "$exe" | grep -q 'file format pei-x86-64' || fail "veldra-cli.exe is no 64-bit Windows program"
# DLLs that come with every Windows; anything else (libstdc++-6.dll,
# libwinpthread-1.dll, zlib1.dll, a Qt DLL) would be missing on a bare system
system_dlls=" kernel32.dll msvcrt.dll shell32.dll advapi32.dll user32.dll ntdll.dll bcrypt.dll ws2_32.dll "
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | awk '/DLL Name:/ {print tolower($3)}')
[ -n "$dlls" ] || fail "veldra-cli.exe names no DLL at all: is it a program?"
for dll in $dlls; do
  [[ "$system_dlls" == *" $dll "* ]] || fail "veldra-cli.exe needs $dll, which a bare Windows lacks"
done
say "libraries: only Windows' own ($(echo $dlls | tr ' ' ','))"
if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_info'; then fail "veldra-cli.exe still carries debug information"; fi

for text in README.txt LICENSE.txt; do
  [ -s "$work/$text" ] || fail "$text is empty"
  if grep -q $'[^\r]$' "$work/$text"; then fail "$text has lines without CRLF"; fi
done
grep -q 'veldra-cli' "$work/README.txt" || fail "README.txt does not describe the tool"
# the tool's part alone: not the editor's user guide, not the developers' notes
for mark in "## veldra-cli: every table" "### veldra-cli on Windows" "veldra-cli import"; do
  grep -qF "$mark" "$work/README.txt" || fail "README.txt lacks '$mark'"
done
for mark in "## The web edition" "## Trying it without a game image" "**Building it.**" "./forge "; do
  if grep -qF "$mark" "$work/README.txt"; then fail "README.txt holds '$mark', which is not about the tool"; fi
done
# a line of each library's own terms: the GCC runtime, winpthreads, zlib, nlohmann-json, CLI11, utfcpp
for mark in "Runtime Library Exception" "winpthreads/" "Jean-loup Gailly" "Niels Lohmann" "Henry Schreiner" "Nemanja Trifunovic"; do
  grep -qi "$mark" "$work/LICENSE.txt" || fail "LICENSE.txt lacks the terms that mention '$mark'"
done
# every licence text the terms name by its place on a Debian system comes along
for name in $(grep -o '/usr/share/common-licenses/[A-Za-z0-9.+-]*[A-Za-z0-9+-]' "$work/LICENSE.txt" | sed 's|.*/||' | sort -u); do
  grep -qE "^($name \(/usr/share/common-licenses/$name on a Debian system\)|$name is the text of [A-Za-z0-9.+-]+\.)"$'\r'"?$" "$work/LICENSE.txt" \
    || fail "LICENSE.txt names the licence $name by its Debian place but lacks its text"
done
for mark in "GNU GENERAL PUBLIC LICENSE" "GNU LESSER GENERAL PUBLIC LICENSE" "Version 2.1, February 1999" "Version 3, 29 June 2007"; do
  grep -qF "$mark" "$work/LICENSE.txt" || fail "LICENSE.txt lacks the licence text with '$mark'"
done
say "texts: CRLF lines, the tool's README and the licences (and their texts) of every library linked in"

# the version resource (Explorer's Properties > Details) and the manifest
resources=$(strings -e l "$exe" | tr '\n' '|')
for key in FileDescription FileVersion ProductVersion OriginalFilename; do
  [[ "$resources" == *"|$key|"* ]] || fail "veldra-cli.exe has no $key in a version resource"
done
resource_version=$(strings -e l "$exe" | grep -A1 -x ProductVersion | tail -1)
grep -aq '<longPathAware[^>]*>true</longPathAware>' "$exe" || fail "veldra-cli.exe has no long-path-aware manifest"
say "resources: version $resource_version, a long-path-aware manifest"

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || wine=$(command -v wine) || fail "wine64 is needed to run the program"
: "${WINEPREFIX:=$work/wine-prefix}"
version=$(WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= \
          "$wine" "$exe" --version </dev/null 2>/dev/null | tr -d '\r')
[[ "$version" == "veldra-cli "* ]] || fail "veldra-cli.exe under Wine printed '$version', not its version"
[[ "$(basename "$zip")" == "veldra-cli-${version#veldra-cli }-win64.zip" ]] || fail "$zip is not named after version '$version'"
[ "$resource_version" = "${version#veldra-cli }" ] || fail "the version resource tells $resource_version, the program ${version#veldra-cli }"
say "runs under Wine: $version"
