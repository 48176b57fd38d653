#!/usr/bin/env bash
# The real program on a virtual screen, signed in as a user whose own name and whose friend's
# name are written to attack it (markup, a link, pictures of local files and of /dev/zero,
# character references, a right-to-left override, 100,000 characters), and the friend writes a
# message of the same kind. The program must stay up, show the contact page and the chat window,
# and never open a file that a name or the message names (watched with inotify).
#   hostile_names.sh QUILLO QUILLO_STANDIN OUTPUT_FOLDER
set -euo pipefail

program="$1" standin="$2" out="$3"
rm -rf "$out"
mkdir -p "$out/config/Rezidezo Zori Ruziva" "$out/data" "$out/runtime" "$out/shots" "$out/bait"
chmod 700 "$out/runtime"
printf '%s\n' 'alice@quillo.test=dword:00000000' 'ShowLastMsg=dword:00000000' \
    >"$out/config/Rezidezo Zori Ruziva/settings.conf"
export XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/data" XDG_RUNTIME_DIR="$out/runtime"
export DBUS_SESSION_BUS_ADDRESS="disabled:"
export ASAN_OPTIONS="detect_leaks=0" QT_QPA_PLATFORM=xcb
unset QT_QPA_PLATFORMTHEME

pids=()
finish() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap finish EXIT

step() { printf 'e2e hostile: %s\n' "$*"; }
fail() {
    printf 'e2e hostile FAILED: %s\n' "$*" >&2
    shot failure || true
    exit 1
}
shot() { import -window root "$out/shots/$1.png"; }
wait_for() {
    local tries="$1"
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

# The bait: red pictures that would show, and be opened, if a name's markup were ever read.
bait="$out/bait"
for name in own first friend message refs; do
    convert -size 16x16 xc:red "$bait/$name.png"
done
python3 - "$bait" "$out/hostile.json" <<'PY'
import json, sys
bait, path = sys.argv[1], sys.argv[2]
alice, friend = 100000418294721, 100000900000001
data = {
    "accounts": [
        {"id": alice, "email": "alice@quillo.test", "password": "alice",
         "name": '<img src="%s/own.png"><a href="file:///usr/bin/xterm">Alice</a>' % bait,
         "first_name": '<img src="%s/first.png">' % bait, "page_form": "plain",
         "friends": [friend, 100000900000002, 100000900000003]},
        {"id": friend, "name": '<img src="%s/friend.png">Zed \u202egnp.exe' % bait,
         "first_name": "Zed", "online": True},
        {"id": 100000900000002, "name": "&#60;img src=&#34;%s&#47;refs.png&#34;&#62;" % bait,
         "first_name": "Refs", "online": True},
        {"id": 100000900000003, "name": "<img src=/dev/zero>" + "<b>long</b>" * 10000,
         "first_name": "Long", "online": True},
    ],
    "conversations": [],
}
json.dump(data, open(path, "w"))
PY

inotifywait -m -e open -e access --format '%f %e' "$bait" >"$out/opened.log" 2>"$out/inotify.log" &
pids+=($!)
wait_for 50 grep -q 'Watches established' "$out/inotify.log" || fail "inotifywait did not start"

"$standin" --data "$out/hostile.json" --port 0 --no-tls --state "$out/standin-state" \
    --hold-ms 3000 >"$out/standin.log" 2>&1 &
pids+=($!)
wait_for 100 grep -q '^quillo-standin http' "$out/standin.log" || fail "the stand-in did not start"
address="$(grep -m1 '^quillo-standin http' "$out/standin.log" | awk '{print $2}')"
printf 'connect_to=127.0.0.1:%s\nplain_sign_in=true\n' "${address##*:}" \
    >"$(dirname "$program")/endpoints.ini"
requests() { curl -s "$address/__control/requests?$1"; }

display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$display"
wait_for 100 xdpyinfo || fail "no virtual display"
openbox >/dev/null 2>&1 &
pids+=($!)
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
    --height 24 --transparent false >/dev/null 2>&1 &
pids+=($!)
sleep 1

step "starting the messenger and signing in"
"$program" >"$out/quillo.log" 2>&1 &
quillo=$!
pids+=($quillo)
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --name '^Quillo for Facebook$' 2>/dev/null); do
        if ! xdotool getwindowgeometry "$id" | grep -q 'Geometry: 467x313'; then
            echo "$id"
            return 0
        fi
    done
    return 1
}
wait_for 200 main_window || fail "the main window did not appear"
window="$(main_window)"
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
sleep 0.3
xdotool type --delay 20 'alice@quillo.test'
xdotool key Tab
xdotool type --delay 20 'alice'
xdotool key Return
polling() { requests "" | grep -q '/x/0/true/'; }
wait_for 150 polling || fail "the long poll did not start"
sleep 1
shot 1-hostile-contact-page
kill -0 "$quillo" || fail "the program ended on the contact page"

step "the friends write messages that hold markup"
for from in 100000900000001 100000900000002 100000900000003; do
    curl -s -X POST -H 'Content-Type: application/json' "$address/__control/act" \
        -d "{\"as\":\"$from\",\"send\":{\"to\":\"100000418294721\",\"text\":\"<img src=\\\"$bait/message.png\\\"> <a href=\\\"file:///usr/bin/xterm\\\">open</a> :) \"}}" \
        >/dev/null
done
chat_window() { xdotool search --onlyvisible --name '^Quillo for Facebook - ' | head -1; }
wait_for 100 chat_window || fail "no chat window for the friends' messages"
sleep 1
kill -0 "$quillo" || fail "the program ended on a hostile message"
shot 2-hostile-chat-window
title="$(xdotool getwindowname "$(chat_window)")"
[ "${#title}" -le 160 ] || fail "the chat window's title is not bounded (${#title} characters)"

sleep 1
if [ -s "$out/opened.log" ]; then
    cat "$out/opened.log" >&2
    fail "the program opened a file that a name or a message names"
fi
rss="$(awk '/VmRSS/ {print $2}' "/proc/$quillo/status")"
step "the program stays up, opened no named file, and uses ${rss} kB"
kill "$quillo"
step "passed"
