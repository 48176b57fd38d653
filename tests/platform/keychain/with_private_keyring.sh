#!/bin/sh
# Runs a program with a keyring of its own: a private session bus with gnome-keyring's Secret
# Service on it, whose login keyring is made empty and unlocked in a temporary folder. Neither
# the user's bus nor the user's keyrings are reached.
#   with_private_keyring.sh PROGRAM [ARGUMENTS...]
set -eu
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
export HOME="$scratch" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config" \
    XDG_RUNTIME_DIR="$scratch/runtime"
# QtKeychain would prefer KWallet on a KDE desktop; the keyring here is gnome-keyring's.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION KDE_SESSION_VERSION \
    GNOME_KEYRING_CONTROL
# Tells the tests that the keyring they write to is this throw-away one.
export QUILLO_PRIVATE_KEYRING=1
# The daemon goes to the background before it owns its name on the bus: wait for that, or the
# first request would start a second daemon through the bus's activation.
dbus-run-session -- sh -c '
    printf "test" | gnome-keyring-daemon --unlock --components=secrets >/dev/null
    tries=0
    until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
        grep -q "boolean true"; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ]; then
            echo "gnome-keyring-daemon did not come up on the private bus" >&2
            exit 1
        fi
        sleep 0.1
    done
    exec "$@"' sh "$@"
