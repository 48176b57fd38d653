#!/usr/bin/env bash
# The messenger on a high-density screen: the program at a scale factor of 2 (QT_SCALE_FACTOR) on
# a virtual screen of 2560x1600 pixels (1280x800 in the program's units, the size the other
# runs use). It signs in and a friend's message opens the chat window; the login page, the
# contact page and the chat window are kept as screenshots. Every window of the program has to
# lie inside the screen and be no smaller than its layout needs (else its texts are cut).
#   scale_two.sh QUILLO QUILLO_STANDIN DEMO_DATA OUTPUT_FOLDER
set -euo pipefail

program="$1" standin="$2" data="$3" out="$4"
E2E_NAME=e2e-scale2
source "$(dirname "$0")/common.sh"
screen_width=2560 screen_height=1600
E2E_SCREEN="${screen_width}x${screen_height}"
prepare_home
start_standin "$data"
start_screen
export QT_SCALE_FACTOR=2

# The main window is the program's window that is neither the splash (467x313 in the program's
# units, twice that in pixels) nor a notice (a strip under 100 units high).
main_window() {
    local id size
    for id in $(xdotool search --onlyvisible --name '^Quillo for Facebook$' 2>/dev/null); do
        size="$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')"
        [ "$size" = 934x626 ] && continue
        [ "${size#*x}" -lt 200 ] 2>/dev/null && continue
        echo "$id"
        return 0
    done
    return 1
}

# One window's screenshot, named $2.
window_shot() { import -window "$1" "$out/shots/$2.png"; }

# Each shown window of the program inside the screen, and at least as large as the smallest size
# its layout allows (WM_NORMAL_HINTS): a window squeezed below it cuts its texts.
check_windows_fit() {
    local id geometry w h x y min_w min_h name
    for id in $(xdotool search --onlyvisible --pid "$quillo" 2>/dev/null); do
        geometry="$(xdotool getwindowgeometry "$id" 2>/dev/null)" || continue
        read -r w h <<<"$(echo "$geometry" | sed -n 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p')"
        read -r x y <<<"$(echo "$geometry" | sed -n 's/.*Position: \(-\?[0-9]*\),\(-\?[0-9]*\).*/\1 \2/p')"
        name="$(xdotool getwindowname "$id" 2>/dev/null || true)"
        [ -n "$w" ] && [ -n "$x" ] || continue
        # The tray icon is docked at the size the tray host gives it (a bar 24 pixels high).
        [ "$w" -le 48 ] && [ "$h" -le 24 ] && continue
        [ "$w" -le "$screen_width" ] && [ "$h" -le "$screen_height" ] ||
            fail "$1: the window '$name' (${w}x$h) is larger than the screen"
        # The main window is placed before the window manager has framed it, so its own edge may
        # lie past the screen's by the frame's border: a few pixels, never a text.
        [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le $((screen_width + 4)) ] &&
            [ $((y + h)) -le $((screen_height + 4)) ] ||
            fail "$1: the window '$name' (${w}x$h at $x,$y) reaches off the screen"
        read -r min_w min_h <<<"$(xprop -id "$id" WM_NORMAL_HINTS 2>/dev/null |
            sed -n 's/.*minimum size: \([0-9]*\) by \([0-9]*\).*/\1 \2/p')"
        if [ -n "${min_w:-}" ]; then
            [ "$w" -ge "$min_w" ] && [ "$h" -ge "$min_h" ] ||
                fail "$1: the window '$name' (${w}x$h) is smaller than its layout (${min_w}x$min_h)"
        fi
        step "$1: '$name' ${w}x$h at $x,$y fits"
    done
}

step "starting the messenger at a scale factor of 2"
start_program
wait_for 200 main_window || fail "the main window did not appear"
sleep 0.5
window_shot "$(main_window)" scale2-login-page
check_windows_fit "login page"

step "signing in"
sign_in_by_keys
wait_for 150 saw "path=/ajax/chat/buddy_list.php" /ajax/chat/buddy_list.php ||
    fail "the service saw no buddy-list request"
sleep 1
window_shot "$window" scale2-contact-page
check_windows_fit "contact page"

step "a friend writes: the chat window opens"
curl -s -X POST -H 'Content-Type: application/json' "$address/__control/act" \
    -d '{"as":"100000100000331","send":{"to":"100000418294721","text":"Hej from the test :)"}}' \
    >/dev/null
chat_window() { xdotool search --onlyvisible --name '^Quillo for Facebook - Zo' | head -1; }
wait_for 100 chat_window || fail "no chat window for the friend's message"
sleep 1
window_shot "$(chat_window)" scale2-chat-window
check_windows_fit "chat window"
shot scale2-screen
kill -0 "$quillo" || fail "the program ended"
step "passed; screenshots in $out/shots"
