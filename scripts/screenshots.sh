#!/usr/bin/env bash
# Pictures of every page of the client for people to look at, run by hand (not in CI):
#
#   bash scripts/screenshots.sh OUTDIR [en|zh|both]
#
# Drives the built client as a user does, with keys through xdotool, on an Xvfb display with openbox,
# and writes OUTDIR/<language>/NN-<page>.png at the window's default size and NN-<page>-min.png at
# its minimum size. Each language runs in a user, process, network and mount namespace of its own,
# with a fresh home on a private /home: the client and the stand-in bridge it starts see nothing of
# this machine's other programs, ports, displays or homes, and go with the namespace.
#
# The keys follow the client's Tab order; when a page gains or loses a control, the Tab counts in the
# page functions below change with it. A step that does not do what it should stops the run, says
# which step it was and leaves a picture of the screen in OUTDIR/<language>/failed.png.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
script="$top/scripts/screenshots.sh"
bin="$top/${FENMAR_BUILD_DIR:-build}/bin"

fail() {
  echo "screenshots: FAILED: $*" >&2
  if [[ -n "${DISPLAY:-}" && -n "${out:-}" ]] && import -window root "$out/failed.png" 2>/dev/null; then
    echo "--- the screen at that moment: $lang/failed.png" >&2
  fi
  if [[ -n "${work:-}" && -s "$work/client.log" ]]; then
    echo "--- last lines of the client's output:" >&2
    tail -n 15 "$work/client.log" >&2
  fi
  exit 1
}

as_root() {
  if ((EUID == 0)); then "$@"; else sudo "$@"; fi
}

# ---- Outside: what the run needs -------------------------------------------------------------------

install_missing() { # en|zh|both
  local -A package_of=([Xvfb]=xvfb [openbox]=openbox [xdotool]=xdotool [import]=imagemagick
                       [xwininfo]=x11-utils [xprop]=x11-utils [ip]=iproute2 [sqlite3]=sqlite3)
  local missing=() command
  for command in "${!package_of[@]}"; do
    command -v "$command" >/dev/null || missing+=("${package_of[$command]}")
  done
  if [[ "$1" != en ]] && ! dpkg-query -W -f='${Status}' fonts-noto-cjk 2>/dev/null | grep -q "ok installed"; then
    missing+=(fonts-noto-cjk)
  fi
  if ((${#missing[@]})); then
    echo "Installing ${missing[*]} ..."
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
      $(printf '%s\n' "${missing[@]}" | sort -u)
  fi
  if [[ ! -x "$bin/fenmar" ]]; then
    echo "No client in $bin: building it ..."
    as_root bash "$top/scripts/setup.sh"
    bash "$top/scripts/build.sh"
  fi
}

main() {
  (($# >= 1 && $# <= 2)) || { echo "usage: $0 OUTDIR [en|zh|both]" >&2; exit 2; }
  local out=$1 which=${2:-both} languages
  case "$which" in
    en | zh) languages=("$which") ;;
    both) languages=(en zh) ;;
    *) echo "usage: $0 OUTDIR [en|zh|both]" >&2; exit 2 ;;
  esac
  install_missing "$which"
  mkdir -p "$out"
  out=$(cd "$out" && pwd)
  # The namespace hides /home: the client and the pictures pass through a folder in /tmp.
  stage=$(mktemp -d /tmp/fenmar-screenshots.XXXXXX)
  trap 'rm -rf "$stage"' EXIT
  mkdir "$stage/bin"
  cp "$bin/fenmar" "$bin"/OstrelBridge* "$stage/bin/"
  local started=$SECONDS lang status
  for lang in "${languages[@]}"; do
    echo "== $lang"
    mkdir -p "$stage/$lang" "$out/$lang"
    status=0
    unshare -Urpfn --mount-proc --kill-child \
      sh -c 'ip link set lo up && exec bash "$0" --inside "$@"' "$script" "$stage" "$lang" || status=$?
    cp "$stage/$lang"/*.png "$out/$lang/" 2>/dev/null || true
    ((status == 0)) || exit "$status"
  done
  echo "Done in $((SECONDS - started)) s: $out"
}

# ---- Inside the namespace: home, display and client ----------------------------------------------

# A user's home on a private /home, with a folder of pictures and two others to share; beside it, an
# opener that only notes what a wrong key would have opened (a browser or a file manager).
prepare_home() {
  mount -t tmpfs tmpfs /home
  home=/home/ann work=/home/.screenshots
  local pictures="$home/Pictures/Holiday 2024"
  mkdir -p "$pictures/Day trips" "$home/Public" "$home/Work/Reports" "$work/stub" "$work/run"
  chmod 700 "$work/run"
  convert -size 800x600 gradient:'#87ceeb-#f4d58d' "$pictures/beach.jpg"
  convert -size 800x600 gradient:'#ff9a3c-#5b2a86' "$pictures/sunset.jpg"
  convert -size 600x800 gradient:'#b8e0a8-#1f5f3a' "$pictures/forest.jpg"
  convert rose: -resize 400x300 "$pictures/rose.png"
  convert granite: -resize 640x640 "$pictures/stones.jpg"
  convert -size 800x500 gradient:'#d6eaf8-#1b4f72' "$pictures/Day trips/harbour.jpg"
  echo "Sun cream, hats, the blue towel." >"$pictures/packing list.txt"
  echo "Minutes of the spring meeting." >"$home/Work/Reports/minutes.txt"
  printf '#!/bin/sh\necho "$@" >>"%s/opened.log"\n' "$work" >"$work/stub/xdg-open"
  chmod +x "$work/stub/xdg-open"
}

start_display() {
  # A folder of sockets of its own, so that this display is free whatever number it takes.
  mkdir -p /tmp/.X11-unix
  mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix
  Xvfb -displayfd 3 -nolock -nolisten tcp -screen 0 1400x900x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  for _ in $(seq 50); do [[ -s "$work/display" ]] && break; sleep 0.1; done
  [[ -s "$work/display" ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=":$(cat "$work/display")"
  openbox >"$work/openbox.log" 2>&1 &
  sleep 1
  # The pointer stays in a corner, away from hover effects and tooltips.
  xdotool mousemove 0 0
}

start_client() { # lang
  local locale=(LANG=en_US.UTF-8 LANGUAGE=en_US)
  [[ "$1" == zh ]] && locale=(LANG=zh_CN.UTF-8 LANGUAGE=zh_CN)
  (cd "$home" && exec env -i PATH="$work/stub:$PATH" HOME="$home" XDG_RUNTIME_DIR="$work/run" DISPLAY="$DISPLAY" \
    QT_QPA_PLATFORM=xcb "${locale[@]}" "$stage/bin/fenmar" >"$work/client.log" 2>&1) &
  for _ in $(seq 100); do main_window=$(main_window_id) && break; sleep 0.1; done
  [[ -n "$main_window" ]] || fail "the client showed no window"
  wait_windows 2 "the main window with its login sheet"
  default_size=$(xwininfo -id "$main_window" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
}

db() { # query: what the client has stored
  sqlite3 -readonly -cmd ".timeout 3000" "$home/Documents/Fenmar/db/fenmar.dat" "$1"
}

# ---- Windows and pictures ---------------------------------------------------------------------------

app_windows() {
  xdotool search --onlyvisible --class '^fenmar$' 2>/dev/null || true
}

# The client's window that belongs to no other.
main_window_id() {
  local window
  for window in $(app_windows); do
    xprop -id "$window" WM_TRANSIENT_FOR | grep -q 'window id' || { echo "$window"; return 0; }
  done
  return 1
}

# Waits until the client shows exactly COUNT windows (the main window and its open sheets), and
# gives the keyboard to the newest: the window manager does not always give it back to the main
# window when a sheet closes.
wait_windows() { # count what
  local count window newest
  for _ in $(seq 100); do
    count=$(app_windows | wc -l)
    if ((count == $1)); then
      for window in $(app_windows); do [[ "$window" == "${main_window:-}" ]] || newest=$window; done
      window=${newest:-$main_window}
      [[ "$(xdotool getactivewindow 2>/dev/null)" == "$window" ]] || xdotool windowactivate --sync "$window"
      sleep 0.6
      return
    fi
    sleep 0.1
  done
  fail "expected $2 ($1 windows), found $count"
}

# A picture of every window of the client, frames included.
capture() { # file
  local window x y w h l r t b x0=99999 y0=99999 x1=0 y1=0
  for window in $(app_windows); do
    read -r x y w h < <(xwininfo -id "$window" |
      awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4} /Width:/ {w = $2} /Height:/ {h = $2}
           END {print x, y, w, h}')
    read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ,; echo)
    x=$((x - ${l:-0})) y=$((y - ${t:-0})) w=$((w + ${l:-0} + ${r:-0})) h=$((h + ${t:-0} + ${b:-0}))
    ((x < x0)) && x0=$x; ((y < y0)) && y0=$y
    ((x + w > x1)) && x1=$((x + w)); ((y + h > y1)) && y1=$((y + h))
  done
  import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$1"
}

# Takes the page at the window's default size, then at its minimum size, and puts the size back.
shoot() { # name
  sleep 1.2 # a toast the last step raised has gone
  capture "$out/$1.png"
  xdotool windowsize "$main_window" 1 1 # the window manager keeps to the window's minimum
  sleep 1
  capture "$out/$1-min.png"
  xdotool windowsize "$main_window" "${default_size%x*}" "${default_size#*x}"
  sleep 1
  local file
  for file in "$1" "$1-min"; do
    printf '  picture %-44s %s\n' "$lang/$file.png" "$(identify -format '%wx%h' "$out/$file.png")"
  done
}

# Presses keys that bring another page and checks that most of the window changed: a key that
# went elsewhere moves no more than a focus frame.
switch_page() { # what keys...
  local what=$1 changed
  shift
  capture "$work/before.png"
  keys "$@"
  sleep 1
  capture "$work/after.png"
  changed=$(compare -metric AE -fuzz 3% "$work/before.png" "$work/after.png" null: 2>&1 || true)
  [[ "$changed" =~ ^[0-9]+$ ]] || changed=999999999 # the sizes differ
  ((changed * 66 > $(identify -format '%w*%h' "$work/after.png"))) || fail "the keys did not bring $what"
}

keys() { xdotool key --delay 40 "$@"; }
tab_times() { xdotool key --delay 40 --repeat "$1" Tab; }
type_text() { xdotool type --delay 25 "$1"; }

# ---- The pages, in the order a user meets them -------------------------------------------------

page_login() {
  sleep 4 # the sheet shows its buttons after a few seconds
  shoot 01-login
  # The e-mail field has the focus; then password, remember me, Log In.
  type_text "$email"
  keys Tab
  type_text "$password"
  keys Tab Tab space
  wait_windows 1 "the main window after logging in"
}

# Focus starts on the page's first control, the console button: Tab goes to the add button, then
# the list, then each card's 14 controls: path, choose, open, default, enabled, remove, link, edit
# tag, open link, access code, lock, and the download, upload and delete rights. Cards stand in the
# order of their folders' paths.
page_local_shares() {
  shoot 02-local-shares-empty
  tab_times 1
  add_share "$home/Work/Reports" 03-add-share-panel
  add_share "$home/Public"
  add_share "$home/Pictures/Holiday 2024"
  # The first card, the pictures, becomes the default share.
  tab_times 5
  keys space
  # The third card, the reports, gets a tag of its own and an access code.
  tab_times $((10 + 14 + 8))
  keys space
  wait_windows 2 "the tag editor"
  type_text reports
  shoot 04-tag-editor
  keys Return
  wait_windows 1 "the page after saving the tag"
  tab_times 3
  keys space
  wait_windows 2 "the access-code dialog"
  type_text "$access_code"
  shoot 05-access-code
  keys Return
  wait_windows 1 "the page after setting the access code"
  [[ "$(db "select s.path from localshare s join localshare_ext e on e.tag = s.tag
            where e.key = 'IsDefault' and e.value = '1'")" == "$home/Pictures/Holiday 2024" ]] ||
    fail "the pictures did not become the default share"
  [[ "$(db "select path from localshare where tag = 'reports' and ifnull(password, '') <> ''")" == "$home/Work/Reports" ]] ||
    fail "the reports did not get their tag and access code"
  shoot 06-local-shares
  # Back from the lock over the third card's controls to its choose button: its folder panel.
  keys $(printf 'shift+Tab %.0s' $(seq 9))
  keys space
  wait_windows 2 "the panel that changes the folder of a share"
  shoot 06-share-folder-panel
  keys Escape
  wait_windows 1 "the page after keeping the share's folder"
  tab_times 9
}

add_share() { # folder [picture]
  keys space
  wait_windows 2 "the panel that chooses a folder to share"
  type_text "$1"
  [[ -z "${2:-}" ]] || shoot "$2"
  keys Return
  wait_windows 1 "the page after adding $1"
}

# From the lock of the last card, Tab passes its three rights, the badge and the first two tiles.
page_settings() {
  tab_times 6
  switch_page "the settings" Tab space
  shoot 07-settings
  # From the folder field to its choose button: the panel of the download folder.
  keys Tab space
  wait_windows 2 "the panel that chooses the download folder"
  shoot 07-settings-folder-panel
  keys Escape
  wait_windows 1 "the settings after keeping the download folder"
  keys shift+Tab
}

# The hosts: this account's own pictures (its default share), its reports behind the access code,
# and a computer that is not there. A page that comes up has the keyboard on its first control: from
# the settings' folder field back over the settings tile to the hosts' tile, then the Add Host button.
page_remote_hosts() {
  switch_page "the remote hosts" shift+Tab shift+Tab space
  shoot 08-remote-hosts-empty
  add_host "$host_name" "" "" "Holiday pictures"
  add_host "$host_name" reports "$access_code" "Work reports" 09-host-editor
  add_host studio "" "" "Studio desktop"
  [[ "$(db "select count(*) from remotesharing")" == 3 ]] || fail "the three hosts were not stored"
  shoot 10-remote-hosts
  # Add Host, the list, then three buttons a row (edit, delete, open): the last row's delete asks
  # first, and Escape keeps the host.
  tab_times 9
  keys space
  wait_windows 2 "the question before deleting a host"
  shoot 11-delete-host
  keys Escape
  wait_windows 1 "the host list after keeping the host"
}

add_host() { # host tag code alias [picture]
  keys space
  wait_windows 2 "the host editor"
  type_text "$1"
  keys Tab
  [[ -z "$2" ]] || type_text "$2"
  keys Tab
  [[ -z "$3" ]] || type_text "$3"
  keys Tab
  type_text "$4"
  [[ -z "${5:-}" ]] || shoot "$5"
  keys Return
  wait_windows 1 "the host list after saving $4"
}

# Back from the last row's delete button to the first row's open button.
page_remote_browser() {
  keys shift+Tab shift+Tab shift+Tab shift+Tab
  switch_page "the browser on the first host" shift+Tab space
  sleep 3 # connected, listed, thumbnails drawn
  shoot 12-remote-browser
  # Back, refresh, then the list: everything in it, and back to the Download button before it.
  tab_times 2
  keys ctrl+a shift+Tab space
  wait_windows 2 "the download sheet"
  keys Return
  local saved="$home/Documents/Fenmar/Downloads"
  for _ in $(seq 50); do [[ -f "$saved/Day trips/harbour.jpg" && -f "$saved/stones.jpg" ]] && break; sleep 0.2; done
  [[ -f "$saved/Day trips/harbour.jpg" && -f "$saved/stones.jpg" ]] || fail "the download did not arrive in $saved"
  shoot 13-download-finished
}

inside() { # stage lang
  stage=$1 lang=$2
  out="$stage/$lang"
  trap 'fail "interrupted"' INT TERM
  email=ann.lee@example.com password=picture-day access_code=Secret42
  host_name=annlee # the stand-in names a host after the e-mail's letters and digits
  prepare_home
  start_display
  start_client "$lang"
  page_login
  page_local_shares
  page_settings
  page_remote_hosts
  page_remote_browser
  [[ ! -s "$work/opened.log" ]] || fail "a key opened something outside the client: $(cat "$work/opened.log")"
}

if [[ "${1:-}" == --inside ]]; then
  shift
  inside "$@"
else
  main "$@"
fi
