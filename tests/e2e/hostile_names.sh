#!/usr/bin/env bash
# The real program on a virtual screen, signed in as a user whose own name and whose friend's
# name are written to attack it (markup, a link, pictures of local files and of /dev/zero,
# character references, a right-to-left override, 100,000 characters), and the friend writes a
# message of the same kind. The program must stay up, show the contact page and the chat window,
# and never open a file that a name or the message names (watched with inotify).
#   hostile_names.sh QUILLO QUILLO_STANDIN OUTPUT_FOLDER
set -euo pipefail

program="$1" standin="$2" out="$3"
E2E_NAME="e2e hostile"
source "$(dirname "$0")/common.sh"
prepare_home
mkdir -p "$out/bait"

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

start_standin "$out/hostile.json"
start_screen

step "starting the messenger and signing in"
start_program
sign_in_by_keys
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
