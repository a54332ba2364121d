#!/usr/bin/env bash
# Writes the README's table of skin thumbnails from the gallery's index (one
# "skin name<TAB>picture stem" line per skin, written by skin_gallery), between the
# markers "<!-- skins:begin -->" and "<!-- skins:end -->" of the README.
# Usage: scripts/gallery-table.sh [INDEX [README [COLUMNS]]]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
index=${1:-$root/docs/skins/index.txt}
readme=${2:-$root/README.md}
columns=${3:-5}
begin='<!-- skins:begin -->'
end='<!-- skins:end -->'

if [ ! -s "$index" ]; then
    echo "gallery-table: no skins listed in $index" >&2
    exit 1
fi
if [ "$(grep -cxF "$begin" "$readme")" != 1 ] || [ "$(grep -cxF "$end" "$readme")" != 1 ]; then
    echo "gallery-table: $readme needs the lines \"$begin\" and \"$end\" once each" >&2
    exit 1
fi

# Links are relative to the README, which lies at the root beside docs/.
table=$(mktemp)
trap 'rm -f "$table"' EXIT
awk -F'\t' -v columns="$columns" '
    function html(s) { gsub(/&/, "\\&amp;", s); gsub(/</, "\\&lt;", s); gsub(/>/, "\\&gt;", s); gsub(/"/, "\\&quot;", s); return s }
    NF >= 2 && $2 != "" {
        name = $1
        sub(/ \(internal\)$/, "", name)
        if (count % columns == 0)
            print (count == 0 ? "<table>" : "</tr>") "\n<tr>"
        printf "<td align=\"center\"><a href=\"docs/skins/%s.png\"><img src=\"docs/skins/thumbs/%s.png\" alt=\"%s\"></a><br>%s</td>\n", $2, $2, html(name), html(name)
        ++count
    }
    END { if (count > 0) print "</tr>\n</table>" }
' "$index" >"$table"

awk -v begin="$begin" -v end="$end" -v table="$table" '
    $0 == begin { print; while ((getline line < table) > 0) print line; skipping = 1; next }
    $0 == end { skipping = 0 }
    !skipping { print }
' "$readme" >"$readme.tmp"
mv "$readme.tmp" "$readme"
echo "gallery-table: $(grep -c . "$index") skins in $readme"
