# Sourced by the Wine test scripts. Wine creates its sockets in the wineserver,
# so the server must live in the private network namespace that tests/netns-run
# made. Wine keeps the server's socket below $TMPDIR; each run gets a folder of
# its own there, on a tmpfs that only this namespace sees, so no client can
# reach a server in another namespace, nor this one's.
# wine_start PREFIX prepares the environment (the prefix is made on first use);
# wine_keep_server keeps one server for all the programs that follow, which
# saves starting Wine's services anew for each; wine_stop ends the server.

if [ "${ORVANE_PRIVATE_NETWORK:-}" != 1 ]; then
    echo "$0: run me through tests/netns-run, never on the host's network" >&2
    exit 1
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

wine_start() {
    wine_tmp=$(mktemp -d)
    mount -t tmpfs -o mode=0700 tmpfs "$wine_tmp"
    # No display, no questions, no installers for .NET or HTML, one fixed locale.
    unset DISPLAY WAYLAND_DISPLAY
    export TMPDIR="$wine_tmp" WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        LC_ALL=C.UTF-8
}

wine_keep_server() {
    # Long enough to bridge the gaps between programs; short enough that a server
    # left behind by a run that was killed ends by itself.
    "$wineserver" --persistent=10
}

wine_stop() {
    "$wineserver" --kill 2>/dev/null || true
    "$wineserver" --wait 2>/dev/null || true
    umount "$wine_tmp" && rmdir "$wine_tmp"
}
