#!/usr/bin/env bash
# The Debian package: built with cpack into a scratch folder, its files and
# control data checked, installed into a scratch root (its own dpkg
# database, never the machine's) and its programs run from there.
#   package_test.sh BUILD_DIR SOURCE_DIR VERSION APPSTREAM_ID gui|nogui
# Exit 77 (skipped) where the Debian tools are missing.
set -euo pipefail
build="$1" src="$2" version="$3" appid="$4" gui="$5"

for tool in dpkg-deb dpkg-shlibdeps cpack; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not installed"
    exit 77
  fi
done

scratch="$(mktemp -d "${TMPDIR:-/tmp}/parvela-package.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Build the package.
(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) || {
  cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
mapfile -t debs < <(find "$scratch/out" -maxdepth 1 -name 'parvela_*.deb')
[ "${#debs[@]}" -eq 1 ] || { cat "$scratch/cpack.log"; echo "FAIL: expected one .deb, found ${#debs[@]}"; exit 1; }
deb="${debs[0]}"
echo "package: $(basename "$deb")"

# Control data.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = parvela ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
depends="$(field Depends)"
echo "Depends: $depends"
[[ "$depends" == *libc6* ]] || fail "Depends lacks libc6 (dpkg-shlibdeps not used?)"
[[ "$depends" == *libstdc++6* ]] || fail "Depends lacks libstdc++6"
if [ "$gui" = gui ]; then
  [[ "$depends" == *libqt6widgets6* ]] || fail "Depends lacks libqt6widgets6"
fi

# The files: every one expected is there, nothing else is.
dpkg-deb -c "$deb" | awk '{ print $NF }' | sed 's|^\./|/|' | grep -v '/$' | sort > "$scratch/files"
expected=(/usr/bin/parvela-batch /usr/share/man/man1/parvela-batch.1.gz)
if [ "$gui" = gui ]; then
  expected+=(/usr/bin/parvela /usr/share/man/man1/parvela.1.gz /usr/share/applications/parvela.desktop
             "/usr/share/metainfo/$appid.metainfo.xml")
  for size in 16 24 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/parvela.png")
  done
fi
printf '%s\n' "${expected[@]}" | sort > "$scratch/expected"
if ! diff -u "$scratch/expected" "$scratch/files"; then
  fail "the package's files differ from the list above (- missing, + unexpected)"
fi

# Install into a scratch root with its own dpkg database. The libraries
# are the machine's, so the dependencies are not checked there.
root="$scratch/root"
if command -v dpkg >/dev/null; then
  mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
  : > "$root/var/lib/dpkg/status"
  force="--force-depends"
  [ "$(id -u)" -ne 0 ] && force="$force,not-root"
  dpkg --root="$root" --log="$scratch/dpkg.log" "$force" -i "$deb" >"$scratch/dpkg.out" 2>&1 || {
    cat "$scratch/dpkg.out"; fail "dpkg -i into the scratch root"; }
  dpkg --root="$root" -s parvela 2>/dev/null | grep -q '^Status: install ok installed' ||
    fail "the scratch root's dpkg does not list parvela as installed"
else
  dpkg-deb -x "$deb" "$root"
fi

# The installed programs, without a display.
batch="$root/usr/bin/parvela-batch"
[ "$("$batch" --version)" = "parvela-batch (Parvela) $version" ] || fail "parvela-batch --version"
work="$scratch/work"
mkdir -p "$work"
case_dir="$src/tests/e2e/cases/direct_gauss_sistem3_system"
cp "$case_dir/data.dat" "$work/a.dat"
(cd "$work" && "$batch" $(cat "$case_dir/args") a.dat) || fail "parvela-batch run"
cmp -s "$work/a.dat" "$case_dir/expected.dat" || fail "the installed parvela-batch wrote another report"
if [ "$gui" = gui ]; then
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/parvela" --version)" ||
    fail "parvela --version needs a display"
  [ "$out" = "parvela (Parvela) $version" ] || fail "parvela --version printed '$out'"
  grep -q '^Exec=parvela %f$' "$root/usr/share/applications/parvela.desktop" || fail "desktop entry: Exec"
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/usr/share/metainfo/$appid.metainfo.xml" || fail "appstreamcli validate"
    grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$appid.metainfo.xml" ||
      fail "metainfo: no release $version"
  else
    echo "note: appstreamcli not installed, metainfo not validated"
  fi
  if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/parvela.desktop" || fail "desktop-file-validate"
  fi
fi

# Manual pages: they format without warnings and name every option that
# the program's --help names.
for page in parvela-batch parvela; do
  gz="$root/usr/share/man/man1/$page.1.gz"
  [ -f "$gz" ] || continue
  gunzip -c "$gz" > "$scratch/$page.1"
  if command -v groff >/dev/null; then
    warnings="$(groff -man -ww -z "$scratch/$page.1" 2>&1)"
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  fi
  if [ "$page" = parvela-batch ]; then help="$("$batch" --help)"; else
    [ "$gui" = gui ] || continue
    help="$(env -u DISPLAY "$root/usr/bin/parvela" --help)"
  fi
  text="$(sed 's/\\-/-/g' "$scratch/$page.1")"
  for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -q -- "$option" <<<"$text" || fail "$page.1 does not document $option"
  done
done

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package checked: $(wc -l < "$scratch/files") files"
