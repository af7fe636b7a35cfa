# The Debian packages the build, the tests and the demo need; meant to be sourced.
VORLAN_PACKAGES=(
    build-essential cmake clang-format pkg-config
    qtbase5-dev qtdeclarative5-dev qttools5-dev qttools5-dev-tools qtdeclarative5-dev-tools qtquickcontrols2-5-dev
    qml-module-qtquick2 qml-module-qtquick-controls qml-module-qtquick-controls2
    qml-module-qtquick-dialogs qml-module-qtquick-layouts qml-module-qtquick-window2
    qml-module-qtquick-templates2 qml-module-qtquick-privatewidgets
    qml-module-qt-labs-folderlistmodel qml-module-qt-labs-settings qml-module-qttest libqt5svg5
    qttranslations5-l10n fonts-dejavu-core
    xvfb xauth x11-utils openbox trayer xdotool xclip imagemagick librsvg2-bin libxcb1-dev qt5ct
    fonts-noto-color-emoji tesseract-ocr tesseract-ocr-eng
    dbus-daemon dbus-bin dunst
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi
    libglib2.0-bin xdg-desktop-portal xdg-desktop-portal-gtk xfce4-panel xfconf xfce4-notifyd weston qtwayland5
    php-cli php-sqlite3 php-pgsql php-mysql curl zlib1g-dev
    nginx-light libnginx-mod-nchan php-fpm redis-server
    libqt5sql5-sqlite libphonenumber-dev
    postgresql mariadb-server-core mariadb-client-core iproute2
    clang-14 libclang-rt-14-dev
    dpkg-dev file lintian desktop-file-utils appstream
)

# Installs whatever of the list is missing (as root, with apt-get).
ensure_packages() {
    local missing=() package
    for package in "${VORLAN_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "Missing Debian packages (install them as root): ${missing[*]}" >&2
        return 1
    fi
    echo "Installing: ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}
