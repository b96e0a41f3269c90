#!/usr/bin/env bash
# Fails when code includes across the layers ARCHITECTURE.md draws: every folder of src/ has its
# place in the layers and may include only the folders below it, only src/office/ may include UNO or
# process-control headers, and only the program's main.cpp joins the window to the LibreOffice
# backend.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [event]="event"
    [state]="state event"
    [skin]="skin"
    [draw]="draw state event"
    [files]="files"
    [spreadsheet]="spreadsheet"
    [office]="office spreadsheet files"
    [namelist]="namelist spreadsheet state event files"
    [progress]="progress spreadsheet"
    [results]="results namelist spreadsheet state event"
    [recovery]="recovery event state files"
    [record]="record skin event"
    [app]="app draw namelist progress record results recovery skin spreadsheet state event"
)
foreign='^#include <(com/sun/star/|cppu|cppuhelper/|osl/|rtl/|sal/|uno/|spawn\.h>|sys/wait\.h>|csignal>|signal\.h>)'

failed=0
for folder in src/*/; do
    folder=${folder#src/}
    folder=${folder%/}
    if [[ -z ${allowed[$folder]+listed} ]]; then
        echo "src/$folder/: a folder that ARCHITECTURE.md and this script do not place in the layers" >&2
        failed=1
    fi
done
for folder in "${!allowed[@]}"; do
    while IFS=: read -r file line text; do
        target=${text#*\"}
        target=${target%%/*}
        [[ $text == *'"build_info.h"'* ]] && continue
        if [[ " ${allowed[$folder]} " != *" $target "* ]] && ! [[ $file == src/app/main.cpp && $target == office ]]; then
            echo "$file:$line: src/$folder/ may not include $target/: $text" >&2
            failed=1
        fi
    done < <(grep -Hn '^#include "' src/"$folder"/*.h src/"$folder"/*.cpp 2>/dev/null || true)
    if [[ $folder != office ]]; then
        while IFS= read -r hit; do
            echo "$hit: only src/office/ includes UNO or process-control headers" >&2
            failed=1
        done < <(grep -HnE "$foreign" src/"$folder"/*.h src/"$folder"/*.cpp 2>/dev/null || true)
    fi
done

if ((failed)); then
    exit 1
fi
echo "layers: every include runs downward"
