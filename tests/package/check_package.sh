#!/usr/bin/env bash
# The installed files and the Debian package of an already built tree:
#   check_package.sh BUILD_DIR [--deb]
# installs into a throwaway root (DESTDIR) and checks what is there; with
# --deb also runs CPack on the same tree (nothing is rebuilt), unpacks the
# package with dpkg -x and checks it the same way, with its declared
# dependencies, its changelog's version and, where installed, lintian.
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
           usr/share/man/man1/mavix.1.gz usr/share/man/man1/mavix-cli.1.gz \
           usr/share/bash-completion/completions/mavix-cli \
           usr/share/icons/hicolor/scalable/apps/mavix.svg \
           usr/share/icons/hicolor/48x48/apps/mavix.png \
           usr/share/doc/mavix/manual/index.html usr/share/doc/mavix/copyright \
           usr/share/doc/mavix/changelog.gz; do
    [ -e "$root/$f" ] || fail "$root: missing $f"
  done
  for f in usr/bin/mavix usr/bin/mavix-cli; do
    [ -x "$root/$f" ] || fail "$root: $f is not executable"
  done
  # Nothing but the program's own files: no tests, libraries or headers.
  local extra
  extra=$(cd "$root" && find . -type f | grep -Ev '^\./usr/(bin/mavix(-cli)?|share/(applications|metainfo|man/man1|bash-completion/completions|icons/hicolor|doc/mavix)/.*)$' || true)
  [ -z "$extra" ] || fail "$root: unexpected files: $extra"
  # Compressed as gzip -9n does: no file name, no time stamp.
  for f in usr/share/man/man1/mavix.1.gz usr/share/man/man1/mavix-cli.1.gz usr/share/doc/mavix/changelog.gz; do
    [ "$(od -An -tx1 -N8 "$root/$f" | tr -d ' ')" = 1f8b080000000000 ] || fail "$root: $f is not gzip -9n"
  done
  # The copyright file is machine-readable (DEP-5): its header and a
  # stanza for every file, each licence named.
  for f in '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/$' '^Upstream-Name: Mavix$' \
           '^Source: ' '^Files: \*$' '^Copyright: ' '^License: '; do
    grep -q "$f" "$root/usr/share/doc/mavix/copyright" || fail "$root: copyright lacks $f"
  done
  local duplicates
  duplicates=$(cd "$root" && find . -type f -exec md5sum {} + | sort | uniq -w32 -D)
  [ -z "$duplicates" ] || fail "$root: duplicate files: $duplicates"
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/mavix.desktop" || fail "desktop file"
  fi
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.mavix.metainfo.xml" >/dev/null \
      || fail "AppStream metadata"
  fi
  if command -v man >/dev/null; then
    for f in mavix mavix-cli; do
      [ -z "$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$f.1.gz" 2>&1 >/dev/null)" ] \
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
    [ "$got" = $'scan purge show log accounts authorize --help --version\nnone stls tls' ] || fail "completion offered: $got"
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
  # A native package: its changelog's latest entry is this version.
  if command -v dpkg-parsechangelog >/dev/null; then
    zcat "$work/unpacked/usr/share/doc/mavix/changelog.gz" >"$work/changelog"
    version=$(dpkg-parsechangelog -l "$work/changelog" -S Version)
    [ "$version" = "$(dpkg-deb -f "$deb" Version)" ] || fail "changelog.gz is for $version, the package for $(dpkg-deb -f "$deb" Version)"
  fi
  # No errors or warnings. Left at the informational level, on purpose:
  # spelling-error-in-binary (the default filter lists hold spam's own
  # misspellings, such as "Embarrased"); hardening-no-bindnow and
  # hardening-no-fortify-functions, binary-has-unneeded-section (the flags
  # and the stripping are CMake's and CPack's, not dpkg-buildflags' and
  # dh_strip's); possible-documentation-but-no-doc-base-registration (the
  # manual is also built into the program, F1).
  if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 \
      || { grep -v '^running with root privileges' "$work/lintian.log"; fail "lintian"; }
  fi
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package contents: all checks passed"
