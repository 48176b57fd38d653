#!/usr/bin/env bash
# A day with the messenger by keys only, on a virtual screen with a window manager: sign in by
# typing, open a friend's conversation from the contact tree with the arrows and Enter, send a
# line, open a second conversation, go between the tabs with Ctrl+Tab, close one with Ctrl+W,
# sign out with the menu's letters and end the program with Ctrl+Q. Half way, while both windows
# show, a screen reader's walk through the real accessibility bus (AT-SPI, on a private session
# bus) finds a name for every control the keys reach. What the service saw is checked in the
# stand-in's request log; the screenshots and the walk's report stay in the output folder.
#   keyboard_day.sh QUILLO QUILLO_STANDIN DEMO_DATA OUTPUT_FOLDER
set -euo pipefail

program="$1" standin="$2" data="$3" out="$4"
E2E_NAME="e2e keyboard"
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/common.sh"
prepare_home
start_standin "$data"
start_screen

# A session bus of the test's own that can start only the accessibility bus: no keyring or
# other service of the machine's answers the program.
start_accessibility_bus() {
    mkdir -p "$out/dbus/services"
    local bus
    bus="$(cd "$out" && pwd)" # the bus reads its folders from the configuration: whole paths
    sed '/^SystemdService=/d' /usr/share/dbus-1/services/org.a11y.Bus.service \
        >"$out/dbus/services/org.a11y.Bus.service"
    cat >"$out/dbus/session.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$bus/runtime</listen>
  <servicedir>$bus/dbus/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF
    dbus-daemon --config-file="$out/dbus/session.conf" --nofork --print-address=3 \
        3>"$out/dbus/address" 2>"$out/dbus/daemon.log" &
    pids+=($!)
    wait_for 50 test -s "$out/dbus/address" || fail "no private session bus"
    export DBUS_SESSION_BUS_ADDRESS="$(head -1 "$out/dbus/address")"
    export GSETTINGS_BACKEND=memory QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
}
start_accessibility_bus

step "starting the messenger with the accessibility bridge on"
start_program

step "typing the e-mail address and the password, then Enter"
sign_in_by_keys
wait_for 150 saw "path=/ajax/chat/buddy_list.php" /ajax/chat/buddy_list.php ||
    fail "the service saw no buddy-list request"
sleep 1
shot 2-contact-page

active_title() { xdotool getactivewindow getwindowname 2>/dev/null; }
title_is() { [ "$(active_title)" = "$1" ]; }
press() {
    xdotool key --clearmodifiers "$@"
    sleep 0.4
}
# The chat window's title names the conversation in front.
chat_title() { printf 'Quillo for Facebook - %s' "$1"; }

step "Down and Enter in the contact tree: the first friend online (Echo Bot)"
title_is "Quillo for Facebook" || fail "the main window is not in front: $(active_title)"
press Down
press Return
wait_for 100 title_is "$(chat_title 'Echo Bot')" ||
    fail "Enter opened no conversation in front: $(active_title)"
shot 3-first-conversation

step "typing a line and Enter sends it"
xdotool type --delay 20 'Morning from the keys'
press Return
sent_by_keys() {
    requests "path=/ajax/chat/send.php" | grep -q 'Morning from the keys'
}
wait_for 100 sent_by_keys || fail "the stand-in's request log shows no send of the line"
sleep 1
shot 4-line-sent

step "back to the main window (Alt+Tab), Down and Enter: a second conversation"
press alt+Tab
wait_for 30 title_is "Quillo for Facebook" || fail "Alt+Tab did not bring the main window"
press Down
press Return
second="$(chat_title 'Zoë Ångström')"
wait_for 100 title_is "$second" || fail "no second conversation in front: $(active_title)"
shot 5-second-conversation

step "a screen reader's walk through both windows"
timeout 120 /usr/bin/python3 "$here/accessible_walk.py" "$quillo" "$out/accessible-walk.txt" \
    "Quillo for Facebook - " "Quillo for Facebook" >"$out/accessible-walk.log" 2>&1 ||
    fail "the accessibility walk failed: $(cat "$out/accessible-walk.log")"
cat "$out/accessible-walk.log"

step "Ctrl+Tab and Ctrl+Shift+Tab go between the tabs"
press ctrl+Tab
wait_for 30 title_is "$(chat_title 'Echo Bot')" || fail "Ctrl+Tab: $(active_title)"
press ctrl+shift+Tab
wait_for 30 title_is "$second" || fail "Ctrl+Shift+Tab: $(active_title)"
press ctrl+Next
wait_for 30 title_is "$(chat_title 'Echo Bot')" || fail "Ctrl+PgDown: $(active_title)"
shot 6-tabs-switched

step "Ctrl+W closes the conversation in front"
press ctrl+w
wait_for 30 title_is "$second" || fail "Ctrl+W left: $(active_title)"
shot 7-tab-closed

step "sign out with the menu's letters: Alt+M, S"
press alt+Tab
wait_for 30 title_is "Quillo for Facebook" || fail "Alt+Tab did not bring the main window"
before="$(count /logout.php)"
press alt+m
shot 8-messenger-menu
press s
signed_out() { [ "$(count /logout.php)" -gt "$before" ]; }
wait_for 100 signed_out || fail "Alt+M, S sent no sign-out to the service"
sleep 1
shot 9-signed-out

step "Ctrl+Q ends the program"
press ctrl+q
for _ in $(seq 100); do
    kill -0 "$quillo" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$quillo" 2>/dev/null && fail "Ctrl+Q did not end the program"
step "passed; screenshots in $out/shots, the walk in $out/accessible-walk.txt"
