# What the end-to-end scripts share: the program's own folders and settings, a stand-in on a
# free port, a virtual screen with a window manager and a tray, the program started on it, and
# signing in by keys. Sourced by a script after it has set E2E_NAME, program, standin and out.

step() { printf '%s: %s\n' "$E2E_NAME" "$*"; }
fail() {
    printf '%s FAILED: %s\n' "$E2E_NAME" "$*" >&2
    shot failure || true
    exit 1
}
shot() { import -window root "$out/shots/$1.png"; }
# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    local tries="$1"
    shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

pids=()
finish() {
    local p
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap finish EXIT

# The program's settings, data and runtime folders under $out. alice has used the program
# before and answered the status question (No): nothing else stands between her and her
# contacts. The replay of earlier conversations stays off, so the first chat tab is the one a
# friend's message opens.
prepare_home() {
    rm -rf "$out"
    mkdir -p "$out/config/Rezidezo Zori Ruziva" "$out/data" "$out/runtime" "$out/shots"
    chmod 700 "$out/runtime"
    printf '%s\n' 'alice@quillo.test=dword:00000000' 'ShowLastMsg=dword:00000000' \
        >"$out/config/Rezidezo Zori Ruziva/settings.conf"
    export XDG_CONFIG_HOME="$out/config" XDG_DATA_HOME="$out/data" XDG_RUNTIME_DIR="$out/runtime"
    # No keyring of the machine's: the password stays in the test's own settings file.
    export DBUS_SESSION_BUS_ADDRESS="disabled:"
    # The program's own leak check is the unit tests' business; X and font libraries keep caches.
    export ASAN_OPTIONS="detect_leaks=0" QT_QPA_PLATFORM=xcb
    unset QT_QPA_PLATFORMTHEME
}

# The stand-in with the data file $1, on a free port; sets address. It runs without TLS here, so
# the program is told that the login form may be posted over plain HTTP. The host settings go
# beside the program in its build folder, or to $endpoints_file when a script sets it (an
# installed program takes them only from --endpoints).
start_standin() {
    "$standin" --data "$1" --port 0 --no-tls --state "$out/standin-state" --hold-ms 3000 \
        >"$out/standin.log" 2>&1 &
    pids+=($!)
    wait_for 100 grep -q '^quillo-standin http' "$out/standin.log" ||
        fail "the stand-in did not start"
    address="$(grep -m1 '^quillo-standin http' "$out/standin.log" | awk '{print $2}')"
    printf 'connect_to=127.0.0.1:%s\nplain_sign_in=true\n' "${address##*:}" \
        >"${endpoints_file:-$(dirname "$program")/endpoints.ini}"
}
requests() { curl -s "$address/__control/requests?$1"; }
saw() { requests "$1" | grep -q "\"path\": *\"$2\""; }
# How many requests of the service had this path.
count() { requests "path=$1" | grep -c "\"path\": *\"$1\"" || true; }
polling() { requests "" | grep -q '/x/0/true/'; }

# The screen: a virtual display, a window manager and a tray host. The first free display from
# E2E_DISPLAY (default 90) on, E2E_SCREEN pixels (default 1280x800).
start_screen() {
    local display="${E2E_DISPLAY:-90}"
    while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 "${E2E_SCREEN:-1280x800}x24" -nolisten tcp >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=":$display"
    wait_for 100 xdpyinfo || fail "no virtual display"
    openbox >/dev/null 2>&1 &
    pids+=($!)
    trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel \
        --height 24 --transparent false >/dev/null 2>&1 &
    pids+=($!)
    sleep 1
}

# Starts the program; sets quillo to its process.
start_program() {
    "$program" >"$out/quillo.log" 2>&1 &
    quillo=$!
    pids+=($quillo)
}

# The main window is the program's window that is not the 467 x 313 splash.
main_window() {
    local id
    local size
    # The splash (467x313) and the presence notices (a strip under 100 pixels high) carry the
    # program's name too.
    for id in $(xdotool search --onlyvisible --name '^Quillo for Facebook$' 2>/dev/null); do
        size="$(xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p')"
        [ "$size" = 467x313 ] && continue
        [ "${size#*x}" -lt 100 ] 2>/dev/null && continue
        echo "$id"
        return 0
    done
    return 1
}

# Types alice's e-mail address and password into the main window and presses Enter; returns
# once the long poll runs. Sets window.
sign_in_by_keys() {
    wait_for 200 main_window || fail "the main window did not appear"
    window="$(main_window)"
    shot 1-login-page
    kill -0 "$quillo" || fail "the program ended"
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
    sleep 0.3
    xdotool type --delay 20 'alice@quillo.test'
    xdotool key Tab
    xdotool type --delay 20 'alice'
    xdotool key Return
    wait_for 150 polling || fail "the long poll did not start"
    sleep 1
}
