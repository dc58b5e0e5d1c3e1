#!/usr/bin/env bash
# Retakes the pictures of the help page (data/install/Help/images) and the README's screenshot
# from the program as built in build/: starts it on a virtual display with openbox, with a
# fresh home folder, drives it with xdotool and cuts each window out of the screen.
#   scripts/help-screenshots.sh [DISPLAY_NUMBER]      (default 72)
# Needs xvfb, openbox, xdotool, x11-utils and imagemagick; pngquant and optipng make the
# files smaller when installed. The positions of the controls are those of the dialogs as
# they are laid out on a 1280x1024 screen with the default Qt style: look at every picture
# before committing it. The chosen movie and package lie in the temporary home, whose path the
# dialogs show.
set -euo pipefail
cd "$(dirname "$0")/.."
number=${1:-72}
export DISPLAY=:$number
build=${TAMBERLUX_BUILD_DIR:-build}
program=$build/src/tamberlux
out=${TAMBERLUX_SHOTS_DIR:-data/install/Help/images}
mkdir -p "$out"
for tool in Xvfb openbox xdotool xwininfo xprop import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
[ -x "$program" ] && [ -x "$program-editor" ] || { echo "$program or $program-editor is missing: build first" >&2; exit 1; }
[ -e "/tmp/.X$number-lock" ] && { echo "display :$number is in use" >&2; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# A home with a movie of one's own and a downloaded package, under names a user would have.
home=$work/home
mkdir -p "$home/Movies" "$home/Downloads"
HOME=$home QTWEBENGINE_DISABLE_SANDBOX=1 "$program" >"$work/program.log" 2>&1 &
pids+=($!)

# ---- helpers
window() { # NAME-PATTERN: the id of the viewable window of that name, waiting up to 30 s
    local id
    for _ in $(seq 120); do
        for id in $(xdotool search --name "$1" 2>/dev/null); do
            if xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
                echo "$id"
                return
            fi
        done
        sleep 0.25
    done
    echo "no window '$1' appeared" >&2
    exit 1
}
gone() { # NAME-PATTERN: waits up to 10 s until no viewable window has that name
    for _ in $(seq 40); do
        local seen=0 id
        for id in $(xdotool search --name "$1" 2>/dev/null); do
            xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && seen=1
        done
        [ "$seen" = 0 ] && return
        sleep 0.25
    done
    echo "window '$1' did not close" >&2
    exit 1
}
origin() { # ID: sets X and Y to the window's client origin on the screen
    eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/{print "X="$4} /Absolute upper-left Y/{print "Y="$4}')"
}
click() { # ID DX DY: clicks at a point of the window's client area
    origin "$1"
    xdotool mousemove $((X + $2)) $((Y + $3)) click 1
    sleep 0.4
}
pick() { # ID DX DY N: opens the list box there and takes the Nth entry below the current one
    click "$1" "$2" "$3"
    for _ in $(seq "$4"); do xdotool key Down; done
    xdotool key Return
    sleep 0.6
}
typein() { # ID DX DY TEXT: replaces the text of the box there
    click "$1" "$2" "$3"
    xdotool key ctrl+a type --delay 20 "$4"
}
panel() { # N: clicks the Nth picture button of the panel
    local id
    id=$(window '^Tamberlux$')
    click "$id" $((16 + 28 * $1)) 35
}
shot() { # ID FILE [left top width height]: the window with its frame, or a part of the screen
    local file=$work/$2 ext left=0 right=0 top=0 bottom=0
    import -window root "$work/screen.png"
    if [ $# -gt 2 ]; then
        convert "$work/screen.png" -crop "$5x$6+$3+$4" +repage "$file"
    else
        origin "$1"
        ext=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ')
        [ -n "$ext" ] && IFS=, read -r left right top bottom <<<"$ext"
        eval "$(xwininfo -id "$1" | awk '/Width:/{print "WW="$2} /Height:/{print "HH="$2}')"
        convert "$work/screen.png" -crop "$((WW + left + right))x$((HH + top + bottom))+$((X - left))+$((Y - top))" \
            +repage "$file"
    fi
    if command -v pngquant >/dev/null; then
        pngquant --force --quality=70-95 --speed 1 --output "$out/$2" 256 "$file" || cp "$file" "$out/$2"
    else
        convert "$file" -colors 256 "PNG8:$out/$2"
    fi
    command -v optipng >/dev/null && optipng -quiet -o2 "$out/$2"
    echo "$out/$2"
}
playing() { # ID DX DY W H: waits up to 20 s until that part of the window is not plain white
    origin "$1"
    for _ in $(seq 40); do
        import -window root -crop "$4x$5+$((X + $2))+$((Y + $3))" "$work/part.png"
        [ "$(convert "$work/part.png" -format '%[fx:minima.r+minima.g+minima.b < 2.7 ? 1 : 0]' info:)" = 1 ] && {
            sleep 2
            return
        }
        sleep 0.5
    done
    echo "the preview at $2,$3 of window $1 stayed white" >&2
    exit 1
}

# ---- the editor, its welcome dismissed, the panel open over the rendering
main=$(window 'Sample Web - Tamberlux')
xdotool windowactivate --sync "$main"
xdotool key alt+d
sleep 1
click "$main" 70 33
click "$main" 90 54
panelId=$(window '^Tamberlux$')
xdotool windowmove "$panelId" 900 600
click "$main" 54 139
sleep 4
shot "$main" editor.png
[ -z "${TAMBERLUX_SHOTS_DIR:-}" ] && cp "$out/editor.png" docs/screenshot.png
origin "$panelId"
xdotool mousemove $((X + 16)) $((Y + 35))
sleep 2
shot "$panelId" panel.png $((X - 4)) $((Y - 4)) 322 88
xdotool windowmove "$panelId" 960 940
sleep 1

# ---- creation dialogs
panel 0
d=$(window '^Insert Flash Button$')
pick "$d" 269 22 4
typein "$d" 268 51 "Order now"
typein "$d" 268 79 "Fresh every morning"
typein "$d" 208 107 "products/breads.htm"
pick "$d" 268 220 2
click "$d" 218 163
c=$(window '^Color Selector$')
origin "$c"
xdotool mousemove $((X + 36)) $((Y + 78))
sleep 1.5
click "$c" 64 115
shot "$c" color-selector.png
click "$c" 166 116
gone '^Color Selector$'
playing "$d" 10 245 180 40
shot "$d" button.png
xdotool windowactivate --sync "$d" key Escape
gone '^Insert Flash Button$'

panel 1
d=$(window '^Insert Flash Heading$')
pick "$d" 269 23 2
pick "$d" 269 52 2
typein "$d" 269 81 "Fresh from the oven"
playing "$d" 50 215 300 50
sleep 5 # the letters have dropped in
shot "$d" heading.png
xdotool windowactivate --sync "$d" key Escape
gone '^Insert Flash Heading$'

panel 2
d=$(window '^Insert Flash Intro Movie$')
pick "$d" 302 23 3
pick "$d" 302 53 1
pick "$d" 302 83 1
pick "$d" 302 113 2
typein "$d" 259 141 "Welcome to the bakery"
xdotool key Return
typein "$d" 259 186 "Fresh bread, cakes and pastries, baked every morning since 1998."
click "$d" 433 186
playing "$d" 485 15 230 170
sleep 10 # the additional text is typed out
shot "$d" intro.png
xdotool windowactivate --sync "$d" key Escape
gone '^Insert Flash Intro Movie$'

panel 3
d=$(window '^Insert Misc. Flash Art/Movie$')
playing "$d" 295 65 130 100
shot "$d" misc.png
click "$d" 451 297
gone '^Insert Misc. Flash Art/Movie$'

# a movie of one's own: one of the library's, under another name
cp "$home/.local/share/tamberlux/FlashMovies/artsun.swf" "$home/Movies/sunshine.swf"
panel 5
d=$(window '^Insert Local Flash File...$')
click "$d" 489 22
window '^Flash Movie To Import$' >/dev/null
xdotool type --delay 20 "$home/Movies/sunshine.swf"
xdotool key Return
gone '^Flash Movie To Import$'
typein "$d" 209 92 120
typein "$d" 209 134 120
xdotool key Tab
playing "$d" 300 40 200 150
shot "$d" local.png
click "$d" 489 232
gone '^Insert Local Flash File...$'

# ---- a sound event on the picture of the About us page
click "$main" 45 69
xdotool click --repeat 2 1
sleep 3
panel 4
d=$(window '^Insert Flash Sound Event$')
pick "$d" 314 23 2
pick "$d" 314 77 1
pick "$d" 314 50 2
sleep 3
shot "$d" sound.png
click "$d" 402 313
gone '^Insert Flash Sound Event$'

# ---- the sample page's button: properties, re-edit, colour adjustment
click "$main" 54 139
xdotool click --repeat 2 1
sleep 2
click "$main" 340 263
sleep 1
panel 6
d=$(window '^Selected Flash Object Properties$')
sleep 1
shot "$d" properties.png
click "$d" 57 307
r=$(window '^Insert Flash Button$')
playing "$r" 10 245 180 40
shot "$r" reedit.png
click "$r" 601 312
gone '^Insert Flash Button$'
gone '^Selected Flash Object Properties$'

panel 7
d=$(window '^Color Adjustment')
pick "$d" 151 105 4
playing "$d" 60 130 230 55
shot "$d" colorise.png
click "$d" 325 251
gone '^Color Adjustment'

# ---- the import of a downloaded package
python3 - "$home/Downloads/bakery-art.zip" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("impinfo.dat", "[Misc]\r\n")
EOF
panel 10
sleep 1
xdotool key Down Down Down Return
d=$(window '^Import New Flash Files!$')
click "$d" 26 23
window '^ZIP Archive To Import$' >/dev/null
xdotool type --delay 20 "$home/Downloads/bakery-art.zip"
xdotool key Return
gone '^ZIP Archive To Import$'
sleep 1
shot "$d" import.png
echo "done: look at every picture before committing it"
