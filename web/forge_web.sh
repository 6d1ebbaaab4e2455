#!/usr/bin/env bash
# The web edition's part of ./forge: installs what the page's build and tests
# need, builds the core to WebAssembly and the page into BUILD_DIR/web, and
# serves that folder.
#   web/forge_web.sh deps [--with-browser]    install what the build (and the tests) need, nothing else
#   web/forge_web.sh build [--with-browser]   build; --with-browser also installs chromium
#   web/forge_web.sh serve                    build, then serve at http://127.0.0.1:PORT
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${FORGE_BUILD_DIR:-build}
SITE="$BUILD_DIR/web"              # the static page: what a host publishes
WORK="$BUILD_DIR/web-build"        # the wasm build, zlib's source, the bundle's inputs

say() { printf 'forge: %s\n' "$*" >&2; }

apt_install() {
  if ! command -v apt-get >/dev/null 2>&1; then
    say "please install: $*"
    exit 1
  fi
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  say "installing $*"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"
}

install_web_deps() {
  local missing=()
  command -v emcc >/dev/null 2>&1 || missing+=(emscripten)
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
  command -v cmake >/dev/null 2>&1 || missing+=(cmake)
  command -v ninja >/dev/null 2>&1 || missing+=(ninja-build)
  command -v dpkg-source >/dev/null 2>&1 || missing+=(dpkg-dev)
  [ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
  if [ "${1:-}" = "--with-browser" ]; then
    [ -x /usr/bin/chromium ] || missing+=(chromium)
  fi
  [ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
}

# Debian's emscripten finds its JavaScript helpers (acorn and friends) in
# Debian's folder of node modules; a node from elsewhere does not look there.
export NODE_PATH="/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}"

# zlib for the wasm core, from Debian's source package: emscripten's own ports
# would download it. The source list needs a deb-src entry for the main suite.
fetch_zlib() {
  local dir="$WORK/zlib"
  [ -f "$dir/crc32.c" ] && return 0
  if ! grep -rqs '^[^#]*deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    local codename=""
    codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
    if [ -z "$codename" ] || ! command -v apt-get >/dev/null 2>&1; then
      say "zlib's source is needed for the web build: unpack it into $dir"
      exit 1
    fi
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    say "adding a deb-src entry for $codename (zlib's source package)"
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$codename" | $sudo tee /etc/apt/sources.list.d/veldra-forge-src.sources >/dev/null
    $sudo apt-get update -q
  fi
  local tmp
  tmp=$(mktemp -d)
  (cd "$tmp" && apt-get source -q zlib >/dev/null 2>&1) || {
    # a source list read before the entry was there
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    $sudo apt-get update -q
    (cd "$tmp" && apt-get source -q zlib >/dev/null)
  }
  local unpacked
  unpacked=$(find "$tmp" -mindepth 1 -maxdepth 1 -type d -name 'zlib-*' | head -1)
  [ -f "$unpacked/crc32.c" ] || { say "zlib's source package did not unpack as expected"; exit 1; }
  mkdir -p "$WORK"
  rm -rf "$dir"
  mv "$unpacked" "$dir"
  rm -rf "$tmp"
}

npm_modules() {
  # npm ci installs exactly what package-lock.json names, again only when it changed
  if [ ! -f web/node_modules/.package-lock.json ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    say "installing the page's npm packages"
    (cd web && npm ci --no-audit --no-fund --loglevel=error)
  fi
}

build_wasm() {
  mkdir -p "$WORK/include"
  # the JSON library's headers alone, not the host's whole include folder
  ln -sfn /usr/include/nlohmann "$WORK/include/nlohmann"
  local gen=()
  [ -f "$WORK/wasm/CMakeCache.txt" ] || gen=(-G Ninja)
  emcmake cmake -S web -B "$WORK/wasm" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release \
    "-DZLIB_SOURCE_DIR=$PWD/$WORK/zlib" "-DNLOHMANN_INCLUDE_DIR=$PWD/$WORK/include" >/dev/null
  cmake --build "$WORK/wasm" --parallel "$(nproc 2>/dev/null || echo 2)"
}

build_page() {
  mkdir -p "$SITE"
  (cd web && node_modules/.bin/tsc --noEmit -p tsconfig.json)
  node web/tools/bundle.mjs "$PWD/$WORK/wasm" "$PWD/$SITE"
}

build_all() {
  install_web_deps "$@"
  fetch_zlib
  npm_modules
  build_wasm
  build_page
  say "page built in $SITE/"
}

cmd=${1:-build}
[ $# -gt 0 ] && shift
case "$cmd" in
  deps)  install_web_deps "$@" ;;
  build) build_all "$@" ;;
  serve) build_all
         exec node web/tools/serve.mjs "$SITE" "${FORGE_WEB_PORT:-8080}" ;;
  *)     say "unknown web command '$cmd'"; exit 2 ;;
esac
