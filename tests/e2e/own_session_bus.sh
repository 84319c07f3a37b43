# Sourced first by the end-to-end scripts: runs the whole script again under dbus-run-session,
# on a session bus of its own that ends with it, as every desktop session has one. Without a
# bus, Qt's D-Bus code asks libdbus to start one for the X display (dbus-launch), and a failed
# start leaves libdbus's read buffer behind, which the leak checker reports as the program's.
#   source own_session_bus.sh "$@"           without dbus-run-session, the script runs busless
#   source own_session_bus.sh --needed "$@"  without dbus-run-session, exits 77 (skipped)
if [[ ${1:-} == --needed ]]; then
  shift
  command -v dbus-run-session >/dev/null ||
    { echo "skipped: dbus-run-session is missing"; exit 77; }
fi
if [[ -z ${LUMIVALE_E2E_SESSION_BUS:-} ]] && command -v dbus-run-session >/dev/null; then
  LUMIVALE_E2E_SESSION_BUS=1 exec dbus-run-session -- "$0" "$@"
fi
