#!/usr/bin/env bash
# Builds the Debian package from a build tree, unpacks it into a scratch root and uses the
# programs there as a user would: versions, export with labels from XDG_DATA_HOME, the manual,
# and the editor's main window on the offscreen platform.
#   installed_package_test.sh BUILD_DIR VERSION APP_ID
set -euo pipefail

build=$1
version=$2
app_id=$3
scratch=$(mktemp -d "${TMPDIR:-/tmp}/korvath-package-XXXXXX")
trap 'rm -rf "$scratch"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
check_eq() {  # what, expected, actual
  [ "$2" = "$3" ] || fail "$1: expected '$2', got '$3'"
}

# The package, from this tree's own install rules.
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb="$scratch/out/korvath_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
check_eq "package name" korvath "$(dpkg-deb -f "$deb" Package)"
check_eq "package version" "$version" "$(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in *libqt6widgets6*) ;; *) fail "Depends lacks Qt Widgets: $depends" ;; esac

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
usr="$root/usr"
check_eq "programs" "korvath korvath-cli" "$(ls "$usr/bin" | tr '\n' ' ' | sed 's/ $//')"
for f in "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
  "share/icons/hicolor/48x48/apps/$app_id.png" "share/icons/hicolor/128x128/apps/$app_id.png" \
  "share/icons/hicolor/256x256/apps/$app_id.png" "share/icons/hicolor/scalable/apps/$app_id.svg" \
  share/man/man1/korvath.1.gz share/man/man1/korvath-cli.1.gz share/doc/korvath/copyright \
  share/doc/korvath/changelog.gz share/doc/korvath/examples/demo.bin; do
  [ -f "$usr/$f" ] || fail "missing /usr/$f"
done
file "$usr/bin/korvath-cli" | grep -q ", stripped" || fail "korvath-cli is not stripped"

cli="$usr/bin/korvath-cli"
examples="$usr/share/doc/korvath/examples"
check_eq "korvath-cli --version" "korvath-cli $version" "$("$cli" --version)"
# Without any display: --version and --help must not need one.
check_eq "korvath --version" "korvath $version" \
  "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/korvath" --version)"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/korvath" --help | grep -q SAVE ||
  fail "korvath --help"

# Labels only in the XDG data home: the unpacked programs' own folder holds none.
export XDG_DATA_HOME="$scratch/data-home"
export XDG_DATA_DIRS="$scratch/data-dirs"
mkdir -p "$XDG_DATA_HOME/korvath"
cp "$examples"/*.txt "$XDG_DATA_HOME/korvath/"
"$cli" export "$examples/demo.bin" >"$scratch/installed.json" || fail "export from the package"
"$build/bin/korvath-cli" export "$examples/demo.bin" --labels "$build/examples" \
  >"$scratch/built.json"
cmp -s "$scratch/installed.json" "$scratch/built.json" ||
  fail "the installed export differs from the build tree's"

# Without any folder of labels: exit 2, and the folders searched on the second line.
set +e
XDG_DATA_HOME="$scratch/empty" "$cli" export "$examples/demo.bin" >/dev/null 2>"$scratch/err"
status=$?
set -e
check_eq "exit status without labels" 2 "$status"
check_eq "first line without labels" "ファイル読込エラー" "$(sed -n 1p "$scratch/err")"
grep -qF "$scratch/empty/korvath" "$scratch/err" || fail "the message lacks the folders: $(cat "$scratch/err")"

for page in korvath korvath-cli; do
  text=$(MANPAGER=cat MANWIDTH=100 man -l "$usr/share/man/man1/$page.1.gz" 2>"$scratch/man.err")
  [ ! -s "$scratch/man.err" ] || fail "man $page: $(cat "$scratch/man.err")"
  grep -q -- "--version" <<<"$text" || fail "man $page lacks --version"
  grep -qF "$version" <<<"$text" || fail "man $page lacks the version"
  grep -q "XDG_DATA_HOME" <<<"$text" || fail "man $page lacks the label folders"
  if [ "$page" = korvath-cli ]; then
    for section in "EXIT STATUS" EXAMPLES; do
      grep -q "^$section" <<<"$text" || fail "man $page lacks $section"
    done
  fi
done

# The editor with the same labels: --quit-after-show prints the main window's title once it
# is shown with the save open, and leaves.
title=$(QT_QPA_PLATFORM=offscreen timeout 60 "$usr/bin/korvath" --quit-after-show \
  "$examples/demo.bin" 2>"$scratch/gui.err") || fail "korvath did not show its window: $(cat "$scratch/gui.err")"
check_eq "main window title" "Korvath demo.bin" "$title"
echo "package $deb: all checks passed"
