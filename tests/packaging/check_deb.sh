#!/usr/bin/env bash
# Builds the Debian package of a built tree and checks it as apt and a desktop would see it:
# its file list, that its dependencies provide every library the program links, and that the
# program as packaged finds its data beside itself. Exit 77 (skipped) without dpkg-deb.
#   check_deb.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1
work=$2
for tool in dpkg-deb dpkg cpack readelf; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is missing"
        exit 77
    fi
done

# A build with sanitizers links their runtimes and is for testing, not for shipping.
if readelf -d "$build/src/tamberlux" | grep -Eq 'lib(asan|ubsan|tsan|lsan)\.so'; then
    echo "SKIP: a sanitizer build is not packaged"
    exit 77
fi

rm -rf "$work"
mkdir -p "$work"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
debs=("$work"/tamberlux_*.deb)
[ -f "${debs[0]}" ] || { echo "no tamberlux_*.deb made"; cat "$work/cpack.log"; exit 1; }
deb=${debs[0]}
echo "package: $deb ($(du -h "$deb" | cut -f1))"

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# ---- the file list
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"
id=org.tamberlux.Tamberlux
for path in /usr/bin/tamberlux /usr/libexec/tamberlux/tamberlux-editor \
    /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/icons/hicolor/48x48/apps/$id.png \
    /usr/share/icons/hicolor/256x256/apps/$id.png /usr/share/man/man1/tamberlux.1.gz \
    /usr/share/doc/tamberlux/copyright /usr/share/doc/tamberlux/changelog.gz \
    /usr/share/tamberlux/install/buttons.kqz /usr/share/tamberlux/install/sites.kqz \
    /usr/share/tamberlux/install/flashdetect.txt /usr/share/tamberlux/install/Help/index.htm \
    /usr/share/tamberlux/install/FlashMovies/btgel.swf \
    /usr/share/tamberlux/install/FlashMovies/mvstandard.swf \
    /usr/share/tamberlux/sample-web/index.htm /usr/share/tamberlux/sample-web/btgel.swf \
    /usr/share/tamberlux/ruffle/ruffle.js /usr/share/tamberlux/ruffle/package.json; do
    grep -qx "$path" "$work/files" || fail "$path is not in the package"
done
grep -q '^/usr/share/tamberlux/ruffle/.*\.wasm$' "$work/files" || fail "Ruffle's WebAssembly is not in the package"
grep -v '^/usr/\?$' "$work/files" | grep -v '^/usr/' && fail "files outside /usr"
grep '\.map$' "$work/files" && fail "source maps are packaged"
# Every picture the help page shows is packaged beside it.
help_page=usr/share/tamberlux/install/Help/index.htm
dpkg-deb --fsys-tarfile "$deb" | tar -xO "./$help_page" >"$work/help.htm" 2>/dev/null ||
    fail "the help page cannot be read from the package"
pictures=$(grep -o '<img src="[^"]*"' "$work/help.htm" | sed 's/<img src="//; s/"$//' || true)
[ -n "$pictures" ] || fail "the packaged help page shows no pictures"
for picture in $pictures; do
    grep -qx "/usr/share/tamberlux/install/Help/$picture" "$work/files" ||
        fail "the help page's picture $picture is not in the package"
done
# Nothing that a run of the program leaves in an install folder.
grep -Ei '/FlashMovies/FP[0-9]+\.htm$|/mpos\.dat$|/kqz\.ver$' "$work/files" && fail "files of a run are packaged"

# ---- the dependencies
dpkg-deb -f "$deb" Depends >"$work/depends"
echo "Depends: $(cat "$work/depends")"
depends=" $(tr ',|' '\n\n' <"$work/depends" | sed 's/(.*)//; s/ //g' | tr '\n' ' ') "
mkdir -p "$work/root"
dpkg-deb -x "$deb" "$work/root"
program=$work/root/usr/bin/tamberlux
editor=$work/root/usr/libexec/tamberlux/tamberlux-editor
for binary in "$program" "$editor"; do
    needed=$(readelf -d "$binary" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    [ -n "$needed" ] || fail "the packaged $binary names no libraries"
    for lib in $needed; do
        file=$(ldd "$binary" | awk -v lib="$lib" '$1 == lib {print $3}')
        [ -n "$file" ] || { fail "$lib is not found on this system"; continue; }
        package=$(dpkg -S "$(readlink -f "$file")" 2>/dev/null | head -1 | cut -d: -f1 || true)
        [ -n "$package" ] || package=$(dpkg -S "$file" 2>/dev/null | head -1 | cut -d: -f1 || true)
        [ -n "$package" ] || { fail "no Debian package holds $file ($lib)"; continue; }
        [[ $depends == *" $package "* ]] || fail "$lib comes from $package, which is not a dependency"
    done
done
# The command line loads neither Qt Widgets nor the web engine; the editor does.
readelf -d "$program" | grep -Eq 'NEEDED.*libQt6(Widgets|WebEngine)' &&
    fail "the packaged command line links Qt Widgets or the web engine"
# The web engine's helper process runs every web view.
[[ $depends == *" libqt6webenginecore6-bin "* ]] || fail "libqt6webenginecore6-bin is not a dependency"

# ---- the program as packaged finds its data beside itself, not in the build tree
help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" "$program" --help)
grep -q "shipped install folder  $work/root/usr/share/tamberlux/install$" <<<"$help" ||
    fail "the packaged program does not use its own install folder: $help"
grep -q "shipped sample web      $work/root/usr/share/tamberlux/sample-web$" <<<"$help" ||
    fail "the packaged program does not use its own sample web"
status=0
"$program" check "$work/root/usr/share/tamberlux/sample-web" >"$work/check.out" || status=$?
[ "$status" -eq 1 ] || fail "check of the packaged sample web exits $status, not 1 (one altered page)"
# Without a command the packaged command line starts the packaged editor, which finds no display.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work/home" "$program" 2>"$work/editor.err" ||
    status=$?
[ "$status" -eq 2 ] && grep -q "no display to open the page editor on" "$work/editor.err" ||
    fail "the packaged command line does not start the packaged editor: $(cat "$work/editor.err")"

# ---- the desktop files are valid where the validators are installed
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "desktop entry"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" || fail "AppStream metadata"
fi

# The program's licence is the same in the AppStream metadata and in the package's copyright.
licence=$(sed -n 's:.*<project_license>\(.*\)</project_license>.*:\1:p' \
    "$work/root/usr/share/metainfo/$id.metainfo.xml")
main_licence=$(awk '/^Files: \*$/ {found = 1} found && /^License:/ {print $2; exit}' \
    "$work/root/usr/share/doc/tamberlux/copyright")
[ -n "$licence" ] && [ "$licence" = "$main_licence" ] ||
    fail "the metadata's licence '$licence' differs from the copyright's '$main_licence'"

if [ "$failures" -ne 0 ]; then
    echo "$failures problems"
    exit 1
fi
echo "the package is complete"
