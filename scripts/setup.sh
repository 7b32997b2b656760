# Shared by scripts/run and scripts/test: installs what is missing, then builds into build/.
# Sourced, not run.

KUMIRO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KUMIRO_BUILD="$KUMIRO_ROOT/build"

KUMIRO_PACKAGES=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev qt6-qpa-plugins libuchardet-dev
    fonts-noto-cjk fonts-liberation qt6-translations-l10n xdg-utils
    xvfb xauth xdotool openbox desktop-file-utils dpkg-dev
    libreoffice-writer-nogui libreoffice-calc-nogui libreoffice-dev
    python3-xlrd python3-openpyxl python3-uno clang-format lintian poppler-utils bubblewrap unzip
    dbus-daemon
)

kumiro_missing_packages() {
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$' \
            || printf '%s\n' "$pkg"
    done
}

kumiro_install_packages() {
    local missing
    mapfile -t missing < <(kumiro_missing_packages "${KUMIRO_PACKAGES[@]}")
    [ "${#missing[@]}" -eq 0 ] && return 0
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null 2>&1; then
            echo "Kumiro needs these Debian packages, which are not installed: ${missing[*]}" >&2
            echo "Install them as root with:" >&2
            echo "    apt-get install --no-install-recommends ${missing[*]}" >&2
            return 1
        fi
        sudo=sudo
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq || return 1
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || return 1
}

# kumiro_build [BUILD_DIR [CMAKE_OPTIONS...]]; KUMIRO_WERROR=ON makes warnings errors.
kumiro_build() {
    local dir="${1:-$KUMIRO_BUILD}"
    [ $# -gt 0 ] && shift
    # KUMIRO_WERROR only when given: a build folder keeps its setting, and a script that
    # does not care (screenshots, benchmarks) does not turn it over and rebuild everything.
    cmake -S "$KUMIRO_ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        ${KUMIRO_WERROR:+-DKUMIRO_WERROR="$KUMIRO_WERROR"} "$@" >/dev/null || return 1
    cmake --build "$dir" -j2
}

# Every C++ file as .clang-format has it; names the files that differ.
kumiro_check_format() {
    (cd "$KUMIRO_ROOT" && git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror)
}
