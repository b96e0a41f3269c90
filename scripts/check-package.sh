#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh, which starts LibreOffice), checks it with lintian
# and the desktop-entry and AppStream validators, installs it with apt (it stays installed) and
# starts the installed program for a user with a fresh home: the first start must make the
# program's folder in the documents folder with the sample name list, and a second start must
# keep the workbook found there. The install runs through sudo when not run as root.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/package.sh
export LC_ALL=C.UTF-8

debs=(dist/lotdraw_*.deb)
if ((${#debs[@]} != 1)); then
    echo "expected one package in dist/, found: ${debs[*]}" >&2
    exit 1
fi
deb=${debs[0]}

scratch=$(mktemp -d)
program=
cleanup() {
    if [[ -n "$program" ]]; then
        kill "$program" 2>/dev/null || true
        wait "$program" 2>/dev/null || true
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT

echo "== lintian"
lintian --fail-on error,warning "$deb"

echo "== desktop entry and AppStream record"
dpkg-deb -x "$deb" "$scratch/root"
desktop-file-validate "$scratch/root/usr/share/applications/lotdraw.desktop"
appstreamcli validate --no-net "$scratch/root/usr/share/metainfo/"*.metainfo.xml

echo "== install"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
    sudo_cmd=(sudo)
fi
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "./$deb"
test "$(command -v lotdraw)" = /usr/bin/lotdraw

# Starts the installed program offscreen for the user whose home is $home, waits until its start-up
# is over (its main thread waits for events in poll(); 7 and 271 are poll and ppoll on amd64) and
# ends it again.
home="$scratch/home"
run_program() {
    mkdir -p -m 700 "$scratch/runtime"
    env -i HOME="$home" PATH=/usr/bin:/bin LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$scratch/runtime" \
        QT_QPA_PLATFORM=offscreen lotdraw &
    program=$!
    local waited=0 idle=0 call=
    while true; do
        if ! read -r call _ <"/proc/$program/syscall" 2>/dev/null; then
            echo "lotdraw ended by itself" >&2
            return 1
        fi
        if [[ $call == 7 || $call == 271 ]]; then
            # Twice in a row, so that a short wait during start-up does not count.
            ((++idle < 2)) || break
        else
            idle=0
        fi
        if ((waited >= 300)); then
            echo "lotdraw did not finish starting within 30 s" >&2
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    kill "$program"
    wait "$program" 2>/dev/null || true
    program=
}

echo "== first start of a new user, on a Chinese desktop"
mkdir -p "$home/.config"
# What xdg-user-dirs writes for a Chinese login: the documents folder is 文档.
echo 'XDG_DOCUMENTS_DIR="$HOME/文档"' >"$home/.config/user-dirs.dirs"
workbook="$home/文档/现场抽签/导入名单.xls"
run_program
cmp "$workbook" /usr/share/lotdraw/导入名单.xls
test -z "$(find "$home/文档/现场抽签" -mindepth 1 ! -name 导入名单.xls)"
echo "made $workbook"

echo "== second start keeps the user's workbook"
printf 'the user edited this' >"$workbook"
run_program
test "$(cat "$workbook")" = "the user edited this"
echo "kept $workbook"
echo "package checks passed: $deb"
