#!/usr/bin/env bash
# Memory of the page editor's rendering on a page of many movies, as a user would meet it:
# opens a page of N library movies (300 by default) in the page editor under a virtual display,
# scrolls it to the end with the mouse wheel, back to the top, and lets it stand; at each step it
# prints the resident and proportional set size of every web-engine renderer process of the
# program (from /proc/PID/smaps_rollup).
#
#   scripts/measure-big-page.sh [--movies N] [--display :N] [--shot FILE.png]
#
# Needs Xvfb, openbox and xdotool, a built tree (TAMBERLUX_BUILD_DIR, default build) and Ruffle
# (npm ci). Settings, state and the install folder go to a temporary folder: the user's own
# are not touched.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${TAMBERLUX_BUILD_DIR:-build}
movies=300
display=:71
shot=
while [ $# -gt 0 ]; do
    case "$1" in
    --movies) movies=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --shot) shot=$2; shift 2 ;;
    *) echo "usage: $0 [--movies N] [--display :N] [--shot FILE.png]" >&2; exit 2 ;;
    esac
done
for tool in Xvfb openbox xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 2; }
done
sample="$build_dir/sample-web"
[ -x "$build_dir/src/tamberlux" ] && [ -x "$build_dir/src/tamberlux-editor" ] && [ -f "$sample/hdwave.swf" ] ||
    { echo "build the program first (cmake --build $build_dir)" >&2; exit 2; }

work=$(mktemp -d /tmp/tlx-measure.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The web: the sample web's movies and a page holding its heading and button objects in turn,
# each with an ID of its own.
web="$work/web"
mkdir -p "$web"
cp "$sample"/*.swf "$web"/
grep -o '<OBJECT.*</OBJECT>' "$sample/index.htm" >"$work/objects"
count=$(wc -l <"$work/objects")
{
    printf '<html>\n<head>\n<title>Movies</title>\n</head>\n<body>\n'
    for ((i = 0; i < movies; i++)); do
        line=$((i % count + 1))
        id=$((10000 + i))
        printf '<p>Movie %d</p>\n<p>' $((i + 1))
        sed -n "${line}p" "$work/objects" | sed "s/KestreliteHD00[0-9]/MovieHD$id/g; s/KestreliteBT00[0-9]/MovieBT$id/g" | tr -d '\n'
        printf '</p>\n'
    done
    printf '</body>\n</html>\n'
} >"$web/movies.htm"
echo "page: $movies movies, $(($(stat -c %s "$web/movies.htm") / 1024)) KB"

export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state"
export XDG_CACHE_HOME="$work/cache"
# The first start makes the user's own copy of the sample web in the home folder: a home of its own.
mkdir -p "$work/home"
export HOME="$work/home"
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
export DISPLAY=$display
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
"$build_dir/src/tamberlux" "$web" "$web/movies.htm" --install "$work/install" \
    >"${TLX_MEASURE_LOG:-$work/tamberlux.out}" 2>&1 &
app=$!
pids+=($app)

# The renderer processes are forked by the program's web-engine zygote: grandchildren of the
# program (their command line still reads --type=zygote).
renderers() {
    local child pid
    for child in $(pgrep -P "$app" || true); do
        for pid in $(pgrep -P "$child" || true); do echo "$pid"; done
    done
}
peak_rss=0
report() {
    local label=$1 pid line
    for pid in $(renderers); do
        line=$(awk '/^Rss:/{r=$2} /^Pss:/{p=$2} END{printf "%d %d", r/1024, p/1024}' \
            "/proc/$pid/smaps_rollup" 2>/dev/null) || continue
        set -- $line
        printf '%-22s renderer %-7s RSS %5s MB  PSS %5s MB\n' "$label" "$pid" "$1" "$2"
        [ "$1" -gt "$peak_rss" ] && peak_rss=$1
    done
    return 0
}

# The editor window, and the middle of its rendering (right of the source).
for _ in $(seq 60); do
    window=$(xdotool search --onlyvisible --name 'movies.htm' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 1
done
[ -n "$window" ] || { echo "the editor window did not appear" >&2; cat "$work/tamberlux.out" >&2; exit 1; }
xdotool windowsize "$window" 1260 980 windowmove "$window" 0 0
sleep 15
report "loaded"
eval "$(xdotool getwindowgeometry --shell "$window")"
# The rendering is the right-hand pane in the normal view.
x=$((X + WIDTH * 3 / 4))
y=$((Y + HEIGHT / 2))
xdotool mousemove "$x" "$y"

# One wheel step scrolls about 100 px; the page is about 100 px per movie.
scroll() {
    local button=$1 steps=$2 label=$3 done=0 chunk
    while ((done < steps)); do
        chunk=$((steps - done < 100 ? steps - done : 100))
        xdotool click --repeat "$chunk" --delay 100 "$button"
        done=$((done + chunk))
        report "$label $done"
    done
}
steps=$((movies * 2))
scroll 5 "$steps" "down"
sleep 5
report "scrolled down"
[ -n "$shot" ] && import -window root "${shot%.png}-end.png"
scroll 4 "$steps" "up"
sleep 5
report "scrolled back"
sleep 30
report "idle 30 s"
[ -n "$shot" ] && import -window root "$shot"
echo "highest renderer RSS seen: $peak_rss MB"
