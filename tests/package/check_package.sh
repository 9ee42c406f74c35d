#!/usr/bin/env bash
# The installed files and the Debian package of an already built tree:
#   check_package.sh BUILD_DIR [--deb]
# installs into a throwaway root (DESTDIR) and checks what is there; with
# --deb also runs CPack on the same tree (nothing is rebuilt), unpacks the
# package with dpkg -x and checks it the same way, with its declared
# dependencies.
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

check_tree() { # root
  local root=$1 f
  for f in usr/bin/mavix usr/bin/mavix-cli \
           usr/share/applications/mavix.desktop \
           usr/share/metainfo/org.example.mavix.metainfo.xml \
           usr/share/man/man1/mavix.1 usr/share/man/man1/mavix-cli.1 \
           usr/share/bash-completion/completions/mavix-cli \
           usr/share/icons/hicolor/scalable/apps/mavix.svg \
           usr/share/icons/hicolor/48x48/apps/mavix.png \
           usr/share/doc/Mavix/manual/index.html; do
    [ -e "$root/$f" ] || fail "$root: missing $f"
  done
  for f in usr/bin/mavix usr/bin/mavix-cli; do
    [ -x "$root/$f" ] || fail "$root: $f is not executable"
  done
  # Nothing but the program's own files: no tests, libraries or headers.
  local extra
  extra=$(cd "$root" && find . -type f | grep -Ev '^\./usr/(bin/mavix(-cli)?|share/(applications|metainfo|man/man1|bash-completion/completions|icons/hicolor|doc/Mavix)/.*)$' || true)
  [ -z "$extra" ] || fail "$root: unexpected files: $extra"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/mavix.desktop" || fail "desktop file"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.mavix.metainfo.xml" >/dev/null \
      || fail "AppStream metadata"
  fi
  if command -v man >/dev/null; then
    for f in mavix mavix-cli; do
      [ -z "$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$f.1" 2>&1 >/dev/null)" ] \
        || fail "man page $f has warnings"
    done
  fi
  local help
  help=$("$root/usr/bin/mavix-cli" --help) || fail "installed mavix-cli --help"
  grep -q 'mavix-cli log' <<<"$help" || fail "installed mavix-cli --help: no log command"
  # The completion offers the commands, and an option's values.
  if [ -f /usr/share/bash-completion/bash_completion ]; then
    local got
    got=$(bash -c 'source /usr/share/bash-completion/bash_completion
                   source "$1"
                   COMP_WORDS=(mavix-cli ""); COMP_CWORD=1; COMP_LINE="mavix-cli "; COMP_POINT=10
                   _mavix_cli; echo "${COMPREPLY[*]}"
                   COMP_WORDS=(mavix-cli scan --security ""); COMP_CWORD=3
                   COMP_LINE="mavix-cli scan --security "; COMP_POINT=${#COMP_LINE}
                   _mavix_cli; echo "${COMPREPLY[*]}"' _ "$root/usr/share/bash-completion/completions/mavix-cli")
    [ "$got" = $'scan purge show log accounts authorize --help\nnone stls tls' ] || fail "completion offered: $got"
  fi
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
check_tree "$work/root"

if [ "${2:-}" = --deb ]; then
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/pkg" >/dev/null 2>"$work/cpack.log") \
    || { cat "$work/cpack.log"; fail "cpack"; exit 1; }
  deb=$(ls "$work"/pkg/mavix_*.deb)
  [ "$(dpkg-deb -f "$deb" Package)" = mavix ] || fail "package name"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  for d in libqt6widgets6 libqt6keychain1 libsecret-1-0 libssl3 ca-certificates; do
    grep -q "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
  done
  # apt can resolve everything the package declares on this system.
  if command -v apt-get >/dev/null; then
    apt-get install -s -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install -s"; }
  fi
  dpkg -x "$deb" "$work/unpacked"
  check_tree "$work/unpacked"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package contents: all checks passed"
