#!/bin/bash
# Lints every QML document of the source tree with Qt's qmllint; any message or failure fails.
# qmllint's -U is not used: it reports context properties (GUI) and qsTranslate as unqualified.
set -u
qmllint=$1
root=${VORLAN_SOURCE_DIR:?}
[ -x "$qmllint" ] || { echo "qmllint not found at $qmllint (Debian: qtdeclarative5-dev-tools)"; exit 1; }

# Tracked and new documents; outside a git checkout, everything but the build trees.
mapfile -t documents < <(git -C "$root" ls-files --cached --others --exclude-standard -- '*.qml' 2>/dev/null \
    || (cd "$root" && find . -name '*.qml' -not -path './build*' | sed 's|^\./||'))
[ ${#documents[@]} -gt 0 ] || { echo "no QML documents found under $root"; exit 1; }

failed=0
for document in "${documents[@]}"; do
    output=$("$qmllint" "$root/$document" 2>&1)
    status=$?
    if [ $status -ne 0 ] || [ -n "$output" ]; then
        echo "$document:"
        echo "$output"
        failed=1
    fi
done
echo "${#documents[@]} documents linted"
exit $failed
