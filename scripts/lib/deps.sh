# Installs the Debian packages the build and the tests need, where any is missing.
# Sourced by the scripts beside it.

kvt_build_packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev fonts-noto-cjk)
# The MQTT client library, and the broker the MQTT tests and benchmark start on a free loopback
# port of their own: a broker service the package may start on port 1883 does not disturb them.
kvt_build_packages+=(pkg-config libmosquitto-dev mosquitto)
# The install test validates the desktop entry and renders the manual pages.
kvt_build_packages+=(desktop-file-utils man-db groff-base)
# The window test starts an X server of its own with openbox, a window manager that places
# windows itself, to check where a stored position puts the window.
kvt_build_packages+=(xvfb openbox)
# The alarm notification test starts a private session bus with a notification service of its own.
kvt_build_packages+=(dbus-daemon)
# zlib reads recordings compressed with gzip back.
kvt_build_packages+=(zlib1g-dev)
# kvt318-scan's Prometheus endpoint: Qt's HTTP server, whose CMake files also look for Qt WebSockets.
kvt_build_packages+=(qt6-httpserver-dev qt6-websockets-dev)
# The real readers of what kvt318-scan hands on, started by the tests on free loopback ports of
# their own: influxd (InfluxDB 1.x), prometheus and promtool. Services the packages may start on
# their default ports do not disturb them.
kvt_build_packages+=(influxdb prometheus)
# kvt318-scan tells systemd it is ready, its status and the watchdog's beat through libsystemd;
# the unit's test runs systemd-analyze and systemd-escape, which a minimal system lacks.
kvt_build_packages+=(libsystemd-dev systemd)
# The report test reads kvt318-scan's PDF back as its readers do: pdftotext for the figures,
# pdftoppm for the waterfall's colours, pdffonts for the embedded fonts.
kvt_build_packages+=(poppler-utils)
# scripts/package: CPack reads the binaries' library needs with dpkg-shlibdeps.
kvt_package_packages=(dpkg-dev file)
# Qt Linguist's CMake support and lrelease, which compile the translations at build time.
kvt_build_packages+=(qt6-tools-dev qt6-l10n-tools)

kvt_missing_packages() {
    local pkg missing=()
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    echo "${missing[@]:-}"
}

kvt_apt_install() {
    local missing
    missing=$(kvt_missing_packages "$@")
    [ -z "$missing" ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    echo "Installing: $missing"
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    # shellcheck disable=SC2086
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

ensure_build_deps() {
    kvt_apt_install "${kvt_build_packages[@]}"
}

ensure_package_deps() {
    kvt_apt_install "${kvt_build_packages[@]}" "${kvt_package_packages[@]}"
}
