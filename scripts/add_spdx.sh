#!/usr/bin/env bash
# Puts an SPDX licence line at the top of every tracked source file that has
# none: "// SPDX-License-Identifier: MIT" in C++, "#" in CMake, shell, Python
# and the desktop entry, an XML comment in XML, SVG and Qt resource files.
# The line goes after a "#!" line, and after an XML declaration. Files that
# already name a licence in their first lines are left as they are, so the
# script can be run again at any time.
#
#   scripts/add_spdx.sh [FILE...]     (default: every file git tracks)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

identifier="SPDX-License-Identifier: MIT"

comment_for() {
    case "$1" in
        *.cpp | *.h | *.hpp | *.cc) echo "// $identifier" ;;
        CMakeLists.txt | */CMakeLists.txt | *.cmake | *.sh | *.py | *.desktop) echo "# $identifier" ;;
        *.xml | *.svg | *.qrc) echo "<!-- $identifier -->" ;;
        *) echo "" ;;
    esac
}

if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files)
fi

changed=0
for file in "${files[@]}"; do
    [ -f "$file" ] || continue
    line=$(comment_for "$file")
    [ -n "$line" ] || continue
    if head -n 5 "$file" | grep -q "SPDX-License-Identifier:"; then
        continue
    fi
    first=$(head -n 1 "$file")
    tmp=$(mktemp "$file.spdx.XXXXXX")
    if [[ "$first" == '#!'* || "$first" == '<?xml'* ]]; then
        # The interpreter line and the XML declaration must stay first.
        { printf '%s\n%s\n' "$first" "$line"; tail -n +2 "$file"; } >"$tmp"
    else
        { printf '%s\n' "$line"; cat "$file"; } >"$tmp"
    fi
    chmod --reference="$file" "$tmp"
    mv "$tmp" "$file"
    changed=$((changed + 1))
done
echo "SPDX line added to $changed file(s)"
