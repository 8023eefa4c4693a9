#!/usr/bin/env bash
# Fails when the users manual's pictures no longer show the program as it is: makes them
# afresh with scripts/screenshots.sh and compares them with the shipped ones, pixel by pixel
# (a few pixels of text smoothing may differ).
#   bash scripts/screenshots_test.sh [BUILD_DIR]
set -uo pipefail
build=${1:-build-ci}
here=$(cd "$(dirname "$0")" && pwd)
shipped=$here/../resources/help/images
fresh=$(mktemp -d /tmp/tonvel-shots-check-XXXXXX)
trap 'rm -rf "$fresh"' EXIT
bash "$here/screenshots.sh" "$build" "$fresh" >/dev/null || { echo "FAIL screenshots: could not make them"; exit 1; }
failed=0
for picture in "$shipped"/*.png; do
    name=$(basename "$picture")
    if [[ ! -f $fresh/$name ]]; then
        echo "FAIL screenshots: $name was not made"; failed=1; continue
    fi
    if [[ $(identify -format '%wx%h' "$picture") != $(identify -format '%wx%h' "$fresh/$name") ]]; then
        echo "FAIL screenshots: $name has another size now; run scripts/screenshots.sh"; failed=1; continue
    fi
    differing=$(compare -metric AE -fuzz 8% "$picture" "$fresh/$name" null: 2>&1 | cut -d' ' -f1)
    total=$(identify -format '%[fx:w*h]' "$picture")
    # More than one pixel in a thousand: the window has changed.
    if ((${differing%.*} * 1000 > total)); then
        echo "FAIL screenshots: $name differs in $differing of $total pixels; run scripts/screenshots.sh"
        failed=1
    else
        echo "ok screenshots: $name ($differing pixels differ)"
    fi
done
exit $failed
