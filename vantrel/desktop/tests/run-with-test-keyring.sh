#!/usr/bin/env bash
# Runs a test program with a fresh, unlocked gnome-keyring on a private session bus, in a
# temporary HOME, so that nothing of the user's own keyring is read or written.
# Usage: run-with-test-keyring.sh PROGRAM [ARGS...]
set -euo pipefail
command -v dbus-run-session >/dev/null && command -v gnome-keyring-daemon >/dev/null || {
  if [ "${CI:-}" = true ]; then echo "dbus-run-session or gnome-keyring-daemon missing" >&2; exit 1; fi
  echo "no dbus-run-session or gnome-keyring-daemon: skipped"; exit 0
}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/.local/share XDG_RUNTIME_DIR=$home/run VANTREL_TEST_KEYRING=1
mkdir -p "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# Run, not exec: the EXIT trap above removes the temporary home once the session has ended.
status=0
dbus-run-session -- sh -c \
  'eval "$(printf vantrel-test | gnome-keyring-daemon --unlock --components=secrets --daemonize)"; exec "$@"' \
  sh "$@" || status=$?
exit "$status"
