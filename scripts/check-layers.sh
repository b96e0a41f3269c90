#!/usr/bin/env bash
# Fails when code includes across the layers ARCHITECTURE.md draws: every folder of src/ has its
# place in the layers and may include only the folders below it, only the program's main.cpp joins
# the window to the LibreOffice backend, and inside the backend its rooms stay apart: only
# office/uno/ includes UNO headers and only office/process/ process-control headers, the two readers
# of processes and file contents include nothing else of ours, and no header of office/ itself
# shows office/uno/ to its includers.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [event]="event"
    [state]="state event"
    [skin]="skin"
    [draw]="draw state event"
    [files]="files"
    [spreadsheet]="spreadsheet"
    [office/process]="office/process"
    [office/content]="office/content"
    [office/uno]="office/uno office office/process spreadsheet files"
    [office]="office office/process office/content office/uno spreadsheet files"
    [namelist]="namelist spreadsheet state event files"
    [progress]="progress spreadsheet"
    [results]="results namelist spreadsheet state event"
    [recovery]="recovery event state files"
    [record]="record skin event"
    [app]="app draw namelist progress record results recovery skin spreadsheet state event"
)
uno='^#include <(com/sun/star/|cppu|cppuhelper/|osl/|rtl/|sal/|uno/)'
processes='^#include <(spawn\.h>|sys/wait\.h>|csignal>|signal\.h>)'

# The room an include names: "office/uno" for "office/uno/calc_cells.h", "state" for "state/x.h".
room() {
    local path=$1
    if [[ $path == */*/* ]]; then
        echo "${path%/*}"
    else
        echo "${path%%/*}"
    fi
}

failed=0
fail() {
    echo "$1" >&2
    failed=1
}

for folder in "${!allowed[@]}"; do
    while IFS=: read -r file line text; do
        target=${text#*\"}
        target=$(room "${target%%\"*}")
        [[ $text == *'"build_info.h"'* ]] && continue
        if [[ " ${allowed[$folder]} " != *" $target "* ]] &&
            ! [[ $file == src/app/main.cpp && $target == office ]]; then
            fail "$file:$line: src/$folder/ may not include $target/: $text"
        fi
        if [[ $folder == office && $file == *.h && $target == office/uno ]]; then
            fail "$file:$line: a header of src/office/ may not show office/uno/ to its includers: $text"
        fi
    done < <(grep -Hn '^#include "' src/"$folder"/*.h src/"$folder"/*.cpp 2>/dev/null || true)
    if [[ $folder != office/uno ]]; then
        while IFS= read -r hit; do
            fail "$hit: only src/office/uno/ includes UNO headers"
        done < <(grep -HnE "$uno" src/"$folder"/*.h src/"$folder"/*.cpp 2>/dev/null || true)
    fi
    if [[ $folder != office/process ]]; then
        while IFS= read -r hit; do
            fail "$hit: only src/office/process/ includes process-control headers"
        done < <(grep -HnE "$processes" src/"$folder"/*.h src/"$folder"/*.cpp 2>/dev/null || true)
    fi
done

# Every folder of src/ with code is one of the rooms above.
while IFS= read -r folder; do
    [[ -n ${allowed[$folder]+set} ]] || fail "src/$folder/ is in no layer of this script"
done < <(find src \( -name '*.cpp' -o -name '*.h' \) -printf '%h\n' | sed 's|^src/||' | sort -u)

if ((failed)); then
    exit 1
fi
echo "layers: every include runs downward, and the office's rooms stay apart"
