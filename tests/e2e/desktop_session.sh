#!/usr/bin/env bash
# The messenger as a person uses it, on a virtual screen with a window manager and a tray:
# start the program, type the e-mail address and the password, sign in, see the contact page,
# answer a friend's message in the chat window, sign out from the tray's menu, and end the
# program from the tray's menu. What the person sees
# is checked through the windows on the screen and the program's files, what the service saw
# through the stand-in's request log; the screenshots stay in the output folder.
#   desktop_session.sh QUILLO QUILLO_STANDIN DEMO_DATA OUTPUT_FOLDER
set -euo pipefail

program="$1" standin="$2" data="$3" out="$4"
E2E_NAME=e2e
source "$(dirname "$0")/common.sh"
prepare_home
start_standin "$data"
start_screen

step "starting the messenger"
start_program

step "typing the e-mail address and the password, then Sign in"
sign_in_by_keys
wait_for 150 saw "path=/ajax/chat/buddy_list.php" /ajax/chat/buddy_list.php ||
    fail "the service saw no buddy-list request"
shot 2-contact-page
saw "path=/login.php" /login.php || fail "no sign-in request"

step "a friend writes: the chat window opens on her tab"
curl -s -X POST -H 'Content-Type: application/json' "$address/__control/act" \
    -d '{"as":"100000100000331","send":{"to":"100000418294721","text":"Hej <b>from</b> the test :)"}}' \
    >/dev/null
chat_window() { xdotool search --onlyvisible --name '^Quillo for Facebook - Zo' | head -1; }
wait_for 100 chat_window || fail "no chat window for the friend's message"
kill -0 "$quillo" || fail "the program ended on a friend's message"
chat="$(chat_window)"
[ -n "$chat" ] || fail "no chat window for the friend's message"
sleep 0.5
shot 3-chat-window

step "answering in the chat window with Enter"
xdotool windowactivate --sync "$chat" 2>/dev/null || xdotool windowfocus --sync "$chat"
sleep 0.3
xdotool type --delay 20 'Hej Zoe <3 '
xdotool key Return
records() { curl -s "$address/__control/records?kind=chat"; }
answered() { records | grep -q '"text": *"Hej Zoe <3 "'; }
wait_for 100 answered || fail "the service did not receive the answer as typed"
sleep 0.5
shot 4-chat-answered
log="$(find "$out/data" -name '100000418294721_100000100000331.htm' | head -1)"
[ -n "$log" ] || fail "no chat log for the conversation"
grep -q 'Hej &lt;b&gt;from&lt;/b&gt; the test' "$log" || fail "the friend's line is not in the log as text"
grep -q 'Hej Zoe' "$log" || fail "the answer is not in the log"
grep -q '<b>from' "$log" && fail "the friend's text became markup in the log"

step "Sign out from the tray's menu"
# The tray icon is the program's one small window, docked in the tray host: its middle.
tray_icon() {
    local id geometry size position
    for id in $(xdotool search --class quillo 2>/dev/null); do
        geometry="$(xdotool getwindowgeometry "$id" 2>/dev/null)" || continue
        size="$(echo "$geometry" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
        position="$(echo "$geometry" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')"
        read -r w h <<<"$size"
        read -r x y <<<"$position"
        if [ -n "$w" ] && [ "$w" -le 32 ] && [ "$h" -le 32 ] && [ "$x" -gt 0 ]; then
            echo "$((x + w / 2)) $((y + h / 2))"
            return 0
        fi
    done
    return 1
}
wait_for 50 tray_icon || fail "no tray icon"
read -r icon_x icon_y <<<"$(tray_icon)"
before="$(count /logout.php)"
# The tray's menu is a small window of the program's that shows on a right click.
menu_open() {
    local id size
    for id in $(xdotool search --onlyvisible --class quillo 2>/dev/null); do
        size="$(xdotool getwindowgeometry "$id" 2>/dev/null |
            sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
        read -r w h <<<"$size"
        [ -n "$w" ] && [ "$w" -gt 40 ] && [ "$w" -lt 400 ] && [ "$h" -lt 150 ] && return 0
    done
    return 1
}
open_tray_menu() {
    xdotool mousemove "$icon_x" "$icon_y" click 3
    wait_for 50 menu_open || fail "the tray's menu did not open"
    sleep 0.2
}
open_tray_menu
shot 5-tray-menu
# The menu: Show, Sign out, Exit.
xdotool key Down Down Return
signed_out() { [ "$(count /logout.php)" -gt "$before" ]; }
wait_for 100 signed_out || fail "the tray's Sign out sent no sign-out to the service"
sleep 1
shot 6-signed-out

step "Exit from the tray's menu"
open_tray_menu
xdotool key Up Return # the last item; a disabled "Sign out" is skipped by the keys
for _ in $(seq 100); do
    kill -0 "$quillo" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$quillo" 2>/dev/null && fail "Exit did not end the program"
settings="$out/config/Rezidezo Zori Ruziva/settings.conf"
[ -f "$settings" ] || fail "no settings file was written"
grep -q '^ShowDemoGraphics=dword:00000000$' "$settings" || fail "the settings file lacks the run's values"
step "passed; screenshots in $out/shots"
