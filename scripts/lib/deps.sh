# Debian packages the project needs, and the one function that installs the missing ones.
# Sourced by scripts/run and scripts/test.

# To build and run the program (the test libraries too: the build includes the tests).
VELTRAVA_BUILD_PACKAGES=(
    cmake make g++ pkg-config
    freeglut3-dev libglew-dev libglu1-mesa-dev libgl1-mesa-dev libgl1-mesa-dri
    libegl-dev libegl-mesa0 libjpeg-dev
    libpng-dev libcli11-dev nlohmann-json3-dev rapidjson-dev libgtest-dev libgmock-dev
    libbenchmark-dev
)

# To run the tests: a virtual X server, input and window tools, screenshots; clang and its
# sanitizer runtimes for the second pass (a recommendation of clang only, so named here);
# Python for the scripts' tests and GNU parallel for scripts/evaluate-planners; the JSON Schema
# checker that holds the scene format's schema against the example worlds.
VELTRAVA_TEST_PACKAGES=(
    xvfb xauth xdotool imagemagick clang libclang-rt-dev python3 parallel python3-jsonschema
)

# veltrava_install_missing <package>...: installs, with apt-get, those not installed yet.
# The package lists are refreshed only when something is missing.
veltrava_install_missing() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ "${#missing[@]}" -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "missing packages (${missing[*]}) and no sudo to install them: install them as root" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "installing: ${missing[*]}" >&2
    "${sudo[@]}" apt-get update -q &&
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# veltrava_build <repository> <build folder>: configures a Release build and builds it.
veltrava_build() {
    local repo=$1 build=$2
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release &&
        cmake --build "$build" -j "$(nproc)"
}
