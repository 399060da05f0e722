# Sourced by the Wine test scripts. Wine creates its sockets in the wineserver,
# so the server must live in the private network namespace that tests/netns-run
# made: its folder gets a fresh tmpfs here, which no server outside can reach.
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
    server_dir=/tmp/.wine-$(id -u)
    mkdir -p "$server_dir"
    mount -t tmpfs -o mode=0700 tmpfs "$server_dir"
    # No display, no questions, no installers for .NET or HTML, one fixed locale.
    unset DISPLAY WAYLAND_DISPLAY
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
}

wine_keep_server() {
    "$wineserver" --persistent
}

wine_stop() {
    "$wineserver" --kill 2>/dev/null || true
}
