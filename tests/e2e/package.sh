#!/usr/bin/env bash
# The Debian package as a user gets it: installed with apt-get, the installed program started
# the way the desktop starts it (its desktop entry's Exec) on a virtual screen against the
# stand-in, signed in to the contact page, then purged, leaving nothing of it behind. Needs
# root (it installs on this machine), so ./dev package runs it rather than ctest.
#   package.sh PACKAGE.deb QUILLO_STANDIN DEMO_DATA OUTPUT_FOLDER
set -euo pipefail

deb="$(realpath "$1")" standin="$2" data="$3" out="$(realpath -m "$4")"
E2E_NAME=package
app_id=io.github.quillo.Quillo
source "$(dirname "$0")/common.sh"
[ "$(id -u)" = 0 ] || { echo "package.sh installs the package: run it as root" >&2; exit 1; }

name="$(dpkg-deb -f "$deb" Package)"
prepare_home
endpoints_file="$out/endpoints.ini"

step "installing $(basename "$deb")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$out/apt-install.log" 2>&1 ||
    { cat "$out/apt-install.log" >&2; fail "apt-get install failed"; }
dpkg -L "$name" >"$out/installed-files"
entry="/usr/share/applications/$app_id.desktop"
[ -f "$entry" ] || fail "no desktop entry $entry"
command="$(sed -n 's/^Exec=//p' "$entry" | head -n1)"
[ -n "$command" ] || fail "the desktop entry has no Exec"
program="$(command -v "${command%% *}")" || fail "the desktop entry's command '$command' is not on PATH"
step "the desktop entry starts '$command' ($program)"
"$program" --version | grep -q "^Quillo for Facebook $(dpkg-deb -f "$deb" Version)\$" ||
    fail "--version does not name the package's version"
[ -d "/usr/share/$name/Langs" ] || fail "no language files in /usr/share/$name"

start_standin "$data"
start_screen
step "starting the installed program with --endpoints $endpoints_file"
# The desktop entry's command line, with the stand-in's hosts given as the option.
$command --endpoints "$endpoints_file" >"$out/quillo.log" 2>&1 &
quillo=$!
pids+=($quillo)

step "signing in"
sign_in_by_keys
wait_for 150 saw "path=/ajax/chat/buddy_list.php" /ajax/chat/buddy_list.php ||
    fail "the service saw no buddy-list request"
saw "path=/login.php" /login.php || fail "no sign-in request"
sleep 1
main_window >/dev/null || fail "the main window is gone"
kill -0 "$quillo" || fail "the program ended"
shot 2-contact-page
step "signed in; the contact page is shown (screenshot in $out/shots)"

kill "$quillo"
wait "$quillo" 2>/dev/null || true

step "purging the package"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq "$name" >"$out/apt-purge.log" 2>&1 ||
    { cat "$out/apt-purge.log" >&2; fail "apt-get purge failed"; }
dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q installed &&
    fail "the package is still installed"
left=0
while IFS= read -r path; do
    [ -e "$path" ] || continue
    # Folders other packages share (/usr/bin, /usr/share/icons/...) stay; the package's own go.
    if [ -d "$path" ] && dpkg -S "$path" >/dev/null 2>&1; then continue; fi
    [ -d "$path" ] && [ -n "$(ls -A "$path")" ] && [ "$path" != "/usr/share/$name" ] && continue
    echo "left behind: $path" >&2
    left=1
done <"$out/installed-files"
[ "$left" = 0 ] || fail "the purged package left files behind"
step "passed: installed, signed in through the desktop entry's command, purged without a trace"
