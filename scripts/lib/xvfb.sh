# A private virtual X server for the current script: veltrava_start_xvfb starts it, exports
# DISPLAY and MESA_SHADER_CACHE_DISABLE, and stops it when the script exits.
# Sourced by scripts/test and scripts/bench.

# Xvfb picks a free display number itself and writes it to the given descriptor once it
# accepts connections. -noreset: without it the server resets whenever its last client
# leaves and refuses a client that connects at that moment. 24 bits: GLX needs them.
veltrava_start_xvfb() {
    veltrava_xvfb_display_file=$(mktemp)
    veltrava_xvfb_pid=
    trap veltrava_stop_xvfb EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp \
        3>"$veltrava_xvfb_display_file" >/dev/null 2>&1 &
    veltrava_xvfb_pid=$!
    local _
    for _ in $(seq 200); do
        [ -s "$veltrava_xvfb_display_file" ] && break
        kill -0 "$veltrava_xvfb_pid" 2>/dev/null || break
        sleep 0.05
    done
    if [ ! -s "$veltrava_xvfb_display_file" ]; then
        echo "the virtual X server did not start" >&2
        return 1
    fi
    export DISPLAY=":$(head -n1 "$veltrava_xvfb_display_file")"
    export MESA_SHADER_CACHE_DISABLE=true
}

veltrava_stop_xvfb() {
    if [ -n "${veltrava_xvfb_pid:-}" ]; then
        kill "$veltrava_xvfb_pid" 2>/dev/null || true
        wait "$veltrava_xvfb_pid" 2>/dev/null || true
    fi
    rm -f "${veltrava_xvfb_display_file:-}"
}
