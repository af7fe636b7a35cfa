#!/bin/sh
# Renders the packaged PNG images from their SVG sources at the sizes the program expects.
set -eu
cd "$(dirname "$0")"
render() {
    rsvg-convert -w "$2" -h "$3" -f png -o "$1.png" "$1.svg"
}
render icon 250 250
render icon-red 256 256
render icon-yellow 256 256
render icon-offline 256 256
render small-logo 243 54
