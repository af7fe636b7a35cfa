#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, checks it with lintian and
# the desktop-entry and AppStream validators, checks that its Depends names every QML
# module the documents import and the SVG plugins, and (as root) installs it and starts the installed program.
#   check_package.sh <build dir>
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
cd "$build"
rm -f vorlan_*.deb
cpack -G DEB >/dev/null
deb=$(ls "$build"/vorlan_*.deb)
echo "Built $deb"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
desktop-file-validate "$tree/usr/share/applications/org.vorlan.Client.desktop" \
    "$tree/usr/share/vorlan/autostart/org.vorlan.Client.desktop"
appstreamcli validate --no-net "$tree/usr/share/metainfo/org.vorlan.Client.metainfo.xml"
lintian --fail-on error --display-info "$deb"

# A QML module missing from Depends is only noticed when a window fails to load.
depends=$(dpkg-deb -f "$deb" Depends)
missing=0
while read -r module major; do
    case "$module $major" in
        "QtQuick 2") package=qml-module-qtquick2 ;;
        "QtQuick.Window 2") package=qml-module-qtquick-window2 ;;
        "QtQuick.Layouts 1") package=qml-module-qtquick-layouts ;;
        "QtQuick.Controls 1") package=qml-module-qtquick-controls ;;
        "QtQuick.Controls 2") package=qml-module-qtquick-controls2 ;;
        "QtQuick.Dialogs 1") package=qml-module-qtquick-dialogs ;;
        *) echo "No package known for the QML import $module $major" >&2; missing=1; continue ;;
    esac
    grep -qE "(^|, )$package(,| |$)" <<<"$depends" \
        || { echo "Depends lacks $package for $module $major" >&2; missing=1; }
done < <(sed -n 's/^import \(Qt[A-Za-z.]*\) \([0-9]*\)\..*/\1 \2/p' \
    "$source_dir"/qml/*.qml "$source_dir"/mainwindow/*.qml | sort -u)
# Without the SVG plugins the tray icon and the window icon would be blank.
grep -qE "(^|, )libqt5svg5(,| |$)" <<<"$depends" || { echo "Depends lacks libqt5svg5" >&2; missing=1; }
[ "$missing" = 0 ]

if [ "$(id -u)" != 0 ]; then
    echo "Not root: the package is not installed, nor the installed program started"
    exit 0
fi
was_installed=$(dpkg-query -W -f='${Status}' vorlan 2>/dev/null | grep -c "ok installed" || true)
DEBIAN_FRONTEND=noninteractive apt-get install -y -q --reinstall "$deb"
[ "$was_installed" = 0 ] && trap 'rm -rf "$tree"; apt-get remove -y -q vorlan >/dev/null' EXIT
VORLAN_SOURCE_DIR=$source_dir ARTIFACT_DIR=$build/artifacts \
    XSELECTION=$build/tests/e2e/vorlan_xselection timeout 120 bash "$source_dir/tests/e2e/installed.sh"
