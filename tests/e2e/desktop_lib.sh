# Shared by the desktop tests: a headless GNOME Shell or KWin of the test's own, as the player,
# with the game's desktop entry installed for the player, and a plain window to give the focus
# to. Sourced, with $1 the game's executable, $2 the desktop entry and $3 the plain window.
source "$(dirname "${BASH_SOURCE[0]}")/wayland_lib.sh"

entry_source=${2:?usage: $0 PATH_TO_TUMBLEGEM DESKTOP_ENTRY OTHER_WINDOW}
other_window_source=${3:?usage: $0 PATH_TO_TUMBLEGEM DESKTOP_ENTRY OTHER_WINDOW}
app_id=com.brightnook.Tumblegem

# The entry as the package installs it, but starting this build.
mkdir -p "$work/home/.local/share/applications"
sed "s|^Exec=.*|Exec=$exe|" "$entry_source" >"$work/home/.local/share/applications/$app_id.desktop"
cp "$other_window_source" "$work/bin/other_window"
chown -R "$player" "$work/home" "$work/bin"

# A session bus for the player, with the desktop's own services there to be started.
start_session_bus() {
    env -i "${player_env[@]}" "${as_player[@]}" dbus-daemon --session \
        --address="unix:path=$work/run/bus" --nofork --nopidfile >"$work/dbus.txt" 2>&1 &
    started+=($!)
    wait_until test -S "$work/run/bus" || fail "no session bus: $(cat "$work/dbus.txt")"
    player_env+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$work/run/bus")
}

# Calls a method on the session bus: gdbus call ARGS...
bus_call() {
    in_session gdbus call --session "$@"
}

# Starts the plain window; its pid goes to $other, and what it prints to $work/other.txt.
start_other_window() {
    env -i "${player_env[@]}" "${as_player[@]}" "$work/bin/other_window" >"$work/other.txt" 2>&1 &
    other=$!
    started+=("$other")
}

# ---- GNOME Shell ----

# GNOME Shell wants a system bus, and must not find logind's seats or it asks logind for a
# session and aborts: a bus of the test's own, and /run/systemd hidden in a mount namespace.
# On the session bus a stand-in for systemd answers the shell's questions about units at once
# (without it about one cold start in three hung).
start_gnome_shell() {
    local attempt
    cat >"$work/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$work/run/system_bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_destination="*" eavesdrop="true"/>
    <allow receive_sender="*"/>
  </policy>
</busconfig>
EOF
    chmod 644 "$work/system-bus.conf"
    env -i "${player_env[@]}" "${as_player[@]}" dbus-daemon --config-file="$work/system-bus.conf" \
        --nofork --nopidfile >"$work/system-bus.txt" 2>&1 &
    started+=($!)
    wait_until test -S "$work/run/system_bus" || fail "no system bus: $(cat "$work/system-bus.txt")"
    start_session_bus
    cat >"$work/systemd.js" <<'EOF'
const {Gio, GLib} = imports.gi;
const iface = `<node><interface name="org.freedesktop.systemd1.Manager">
  <method name="GetUnit"><arg type="s" direction="in"/><arg type="o" direction="out"/></method>
  <method name="StartTransientUnit"><arg type="s" direction="in"/><arg type="s" direction="in"/>
    <arg type="a(sv)" direction="in"/><arg type="a(sa(sv))" direction="in"/>
    <arg type="o" direction="out"/></method>
</interface></node>`;
const refuse = (params, invocation) => invocation.return_dbus_error(
    'org.freedesktop.systemd1.NoSuchUnit', 'no units here');
const manager = Gio.DBusExportedObject.wrapJSObject(iface,
    {GetUnitAsync: refuse, StartTransientUnitAsync: refuse});
Gio.bus_own_name(Gio.BusType.SESSION, 'org.freedesktop.systemd1', Gio.BusNameOwnerFlags.NONE,
    connection => manager.export(connection, '/org/freedesktop/systemd1'), null, null);
new GLib.MainLoop(null, false).run();
EOF
    chmod 644 "$work/systemd.js"
    env -i "${player_env[@]}" "${as_player[@]}" gjs "$work/systemd.js" >"$work/systemd.txt" 2>&1 &
    started+=($!)
    wait_until bus_call --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.GetNameOwner org.freedesktop.systemd1 >/dev/null 2>&1 ||
        fail "the systemd stand-in did not start: $(cat "$work/systemd.txt")"

    player_env+=(DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/run/system_bus"
                 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME GSETTINGS_BACKEND=memory
                 LP_NUM_THREADS=1)
    local hide=()
    if [[ -d /run/systemd/seats ]]; then
        if [[ $(id -u) != 0 ]]; then
            echo "SKIP: GNOME Shell would ask logind for a session here; as root the test hides it"
            exit 77
        fi
        hide=(unshare --mount sh -c 'mount -t tmpfs none /run/systemd && exec "$@"' sh)
    fi
    # A start that hangs is given up after a while and tried again, once.
    for attempt in 1 2; do
        env -i "${player_env[@]}" "${hide[@]}" "${as_player[@]}" gnome-shell --headless \
            --wayland --no-x11 --virtual-monitor 1024x768 --wayland-display wayland-1 --unsafe-mode \
            >"$work/shell.txt" 2>&1 &
        shell_pid=$!
        started+=("$shell_pid")
        wait_limit_tenths=200 wait_until shell_ready && break
        echo "GNOME Shell did not come up (attempt $attempt): $(tail -n 5 "$work/shell.txt")"
        kill -9 "$shell_pid" 2>/dev/null || true
        wait "$shell_pid" 2>/dev/null || true
        ((attempt == 2)) && fail "GNOME Shell did not start"
    done
    player_env+=(WAYLAND_DISPLAY=wayland-1)
    # It starts in the overview.
    shell_eval 'imports.gi.St.Settings.get().inhibit_animations(); Main.overview.hide(); 1' \
        >/dev/null || fail "cannot hide the overview"
    wait_until shell_eval_is 'Main.overview.visible' false || fail "the overview stays"
}

shell_ready() {
    alive "$shell_pid" || fail "GNOME Shell ended: $(tail -n 20 "$work/shell.txt")"
    [[ -S "$work/run/wayland-1" ]] && shell_eval_is 'Main.layoutManager._startingUp' false
}

# The value of a JavaScript expression in the shell, as JSON.
shell_eval() {
    local out
    out=$(bus_call --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>&1) || return 1
    [[ "$out" == "(true, '"*"')" ]] || { echo "$out" >&2; return 1; }
    out=${out#"(true, '"}
    echo "${out%"')"}"
}

shell_eval_is() {
    [[ "$(shell_eval "$1" 2>/dev/null)" == "$2" ]]
}

# The shell's windows, one a line: "pid app-id has-focus x y width height", the app id being
# the desktop entry the shell matched the window to.
shell_windows() {
    shell_eval 'global.get_window_actors().map(a => a.meta_window).map(w => [w.get_pid(),
        imports.gi.Shell.WindowTracker.get_default().get_window_app(w).get_id(),
        w.has_focus(), w.get_frame_rect().x, w.get_frame_rect().y, w.get_frame_rect().width,
        w.get_frame_rect().height].join(" ")).join(";")' | jq -r 'split(";")[]'
}

# Gives the focus to the window of process $1.
shell_focus() {
    shell_eval "global.get_window_actors().map(a => a.meta_window).find(w => w.get_pid() == $1)
        .activate(global.display.get_current_time_roundtrip()); 1" >/dev/null
}

# Moves the window of process $1 to $2,$3.
shell_move() {
    shell_eval "global.get_window_actors().map(a => a.meta_window).find(w => w.get_pid() == $1)
        .move_frame(true, $2, $3); 1" >/dev/null
}

# The whole screen in $1.
shell_shot() {
    local into="$work/shots/shell.png"
    rm -f "$into"
    bus_call --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
        --method org.gnome.Shell.Screenshot.Screenshot false false "$into" >/dev/null ||
        fail "the shell took no screenshot"
    mv "$into" "$1"
}

# Launches the desktop entry as GNOME launches applications: through GLib, with the shell's
# own launch context, which hands the program an activation token.
shell_launch() {
    shell_eval "imports.gi.Gio.DesktopAppInfo.new('$app_id.desktop').launch([],
        global.create_app_launch_context(global.display.get_current_time_roundtrip(), -1))" \
        >/dev/null ||
        fail "the shell did not launch the entry"
}

# ---- KWin ----

# KWin as installed carries a file capability that a container's bounding set may lack, and
# then will not start at all: a plain copy runs anywhere. Its screenshot service answers only
# programs whose desktop entry asks for it, found through KDE's service cache: here gjs, which
# takes the test's screenshots.
start_kwin() {
    local sycoca
    start_session_bus
    cp "$(command -v kwin_wayland)" "$work/bin/kwin_wayland"
    printf '[Desktop Entry]\nType=Application\nName=Screenshots\nExec=%s\n%s\n' \
        "$(readlink -f "$(command -v gjs)")" \
        "X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2" \
        >"$work/home/.local/share/applications/screenshots.desktop"
    # Plasma 6's KWin reads the cache of KDE Frameworks 6, Plasma 5's that of 5.
    sycoca=$(command -v kbuildsycoca6 || command -v kbuildsycoca5) || fail "no kbuildsycoca"
    in_session "$sycoca" >"$work/sycoca.txt" 2>&1 ||
        fail "$sycoca failed: $(cat "$work/sycoca.txt")"
    env -i "${player_env[@]}" LIBGL_ALWAYS_SOFTWARE=1 \
        QT_LOGGING_RULES="kwin_scripting.debug=true" "${as_player[@]}" "$work/bin/kwin_wayland" \
        --virtual --width 1024 --height 768 --socket wayland-1 --no-lockscreen \
        --no-global-shortcuts --no-kactivities >"$work/kwin.txt" 2>&1 &
    kwin_pid=$!
    started+=("$kwin_pid")
    wait_until kwin_ready || fail "KWin did not start: $(tail -n 20 "$work/kwin.txt")"
    player_env+=(WAYLAND_DISPLAY=wayland-1 XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE)
}

kwin_ready() {
    alive "$kwin_pid" || fail "KWin ended: $(tail -n 20 "$work/kwin.txt")"
    [[ -S "$work/run/wayland-1" ]] &&
        bus_call --dest org.kde.KWin --object-path /Scripting --method \
            org.freedesktop.DBus.Peer.Ping >/dev/null 2>&1
}

# Runs JavaScript in KWin and prints the JSON of what its body returns.
kwin_eval() {
    local n=${EPOCHREALTIME/./} file id
    file="$work/run/script$n.js"
    printf 'print("tumblegem-%d " + JSON.stringify((function () { %s })()));\n' "$n" "$1" >"$file"
    chmod 644 "$file"
    id=$(bus_call --dest org.kde.KWin --object-path /Scripting \
        --method org.kde.kwin.Scripting.loadScript "$file" "tumblegem$n") ||
        fail "KWin did not load a script"
    id=$(grep -o '[0-9]\+' <<<"$id" | head -n1)
    bus_call --dest org.kde.KWin --object-path "/Scripting/Script$id" \
        --method org.kde.kwin.Script.run >/dev/null 2>&1 ||
        bus_call --dest org.kde.KWin --object-path "/$id" --method org.kde.kwin.Script.run \
            >/dev/null || fail "KWin did not run a script"
    wait_until grep -q "tumblegem-$n " "$work/kwin.txt" || fail "a script printed nothing"
    bus_call --dest org.kde.KWin --object-path /Scripting \
        --method org.kde.kwin.Scripting.unloadScript "tumblegem$n" >/dev/null
    grep -o "tumblegem-$n .*" "$work/kwin.txt" | head -n1 | sed "s/^tumblegem-$n //"
}

# KWin's windows, one a line: "pid desktop-file active maximizable decorated x y width height"
# with the frame's geometry; KWin 5's names first, Plasma 6's after.
kwin_windows() {
    kwin_eval 'const all = workspace.windowList ? workspace.windowList() : workspace.clientList();
        return all.map(w => [w.pid, w.desktopFileName || "-", w.active, w.maximizable,
            !w.noBorder, w.x, w.y, w.width, w.height].join(" ")).join(";");' |
        jq -r 'split(";")[]'
}

# Whether KWin can take screenshots: its screenshot effect needs OpenGL compositing.
kwin_can_shoot() {
    [[ "$(bus_call --dest org.kde.KWin --object-path /Effects \
        --method org.kde.kwin.Effects.isEffectSupported screenshot)" == "(true,)" ]]
}

# A picture of the screen's area X Y WIDTH HEIGHT ($1 to $4), in $5. (A picture of a window
# would take in its shadow.)
kwin_shot() {
    local size width height stride format
    cat >"$work/shot.js" <<'EOF'
const {Gio, GLib} = imports.gi;
const fds = new Gio.UnixFDList();
fds.append(3);
const [x, y, width, height] = ARGV.map(Number);
const [reply] = Gio.DBus.session.call_with_unix_fd_list_sync('org.kde.KWin',
    '/org/kde/KWin/ScreenShot2', 'org.kde.KWin.ScreenShot2', 'CaptureArea',
    new GLib.Variant('(iiuua{sv}h)', [x, y, width, height, {}, 0]),
    null, Gio.DBusCallFlags.NONE, -1, fds, null);
const r = reply.recursiveUnpack()[0];
print([r.width, r.height, r.stride, r.format].join(' '));
EOF
    chmod 644 "$work/shot.js"
    rm -f "$work/shots/raw"
    size=$(in_session sh -c 'exec gjs "$@" 3>"$0"' "$work/shots/raw" "$work/shot.js" \
        "$1" "$2" "$3" "$4") || fail "KWin took no screenshot"
    read -r width height stride format <<<"$size"
    # QImage's 32-bit formats, byte by byte on this machine: blue, green, red, alpha.
    [[ "$format" =~ ^[456]$ ]] || fail "a screenshot in QImage format $format"
    raw_whole() {
        [[ "$(stat -c %s "$work/shots/raw")" == $((stride * height)) ]]
    }
    wait_until raw_whole || fail "the screenshot never arrived whole"
    convert -size "$((stride / 4))x$height" -depth 8 bgra:"$work/shots/raw" \
        -crop "${width}x$height+0+0" +repage -alpha off "$5"
}
