#!/usr/bin/env bash
# make-tables.sh - regenerates the measured tables ../CaseTable.cpp and
# ../WineTextTables.cpp: builds wine_case_pairs.c and wine_text_tables.c with mingw-w64,
# runs them under wine64 in a throw-away prefix, and writes what they print as C++
# (case_table.py, text_tables.py). Usage: make-tables.sh (from anywhere).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all LC_ALL=C.UTF-8
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
version=$(/usr/lib/wine/wine64 --version)
for program in wine_case_pairs wine_text_tables; do
  x86_64-w64-mingw32-gcc -O1 -o "$work/$program.exe" "$here/$program.c" -ladvapi32
  /usr/lib/wine/wine64 "$work/$program.exe" >"$work/$program.txt"
done
python3 "$here/case_table.py" "$version" <"$work/wine_case_pairs.txt" >"$here/../CaseTable.cpp"
python3 "$here/text_tables.py" "$version" <"$work/wine_text_tables.txt" >"$here/../WineTextTables.cpp"
echo "wrote $here/../CaseTable.cpp and $here/../WineTextTables.cpp"
