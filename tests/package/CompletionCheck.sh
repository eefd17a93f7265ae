#!/bin/bash
# The bash completion of q64 against the q64 of this build:
#   CompletionCheck.sh COMPLETION_FILE Q64_FOLDER
set -u
source "$1" || exit 1
PATH=$(cd "$2" && pwd):$PATH
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
cd "$work" && touch game.z64 && mkdir roms || exit 1
failed=0

# Completes the words of LINE (the last one being typed) and checks that
# every EXPECTED word is offered.
check() {
    local line=$1 expected=$2 word
    read -ra COMP_WORDS <<< "$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    _q64
    for word in $expected; do
        if [[ " ${COMPREPLY[*]} " != *" $word "* ]]; then
            echo "${line}<TAB>: '$word' missing from: ${COMPREPLY[*]}"
            failed=1
        fi
    done
}

check "q64 " "info crc flip verify send receive sc64 surgeon mkpatch --version"
check "q64 send --u" "--unit"
check "q64 send --unit " "v64 sp64 cd64 sc64 ed64"
check "q64 send --unit = s" "sc64 sp64"
check "q64 receive --sim-fault " "silent stall checksum refuse clog"
check "q64 send --tv " "pal ntsc mpal auto"
check "q64 sc64 " "info save-backup save-restore"
check "q64 ed64 " "info"
check "q64 sc64 save-backup " "game.z64"
check "q64 sc64 --port " "sim"
check "q64 flip --to " "z64 v64 n64"
check "q64 mkpatch --format " "ips bps"
check "q64 crc --backup " "0 1 3"
check "q64 crc --" "--fix --json --backup"
check "q64 surgeon " "console pc load save"
check "q64 mempak " "list export import delete rename check repair format"
check "q64 save " "convert"
check "q64 save convert --to " "srm m64p-fla pj64-mpk"
check "q64 dx256 game.z64 --export b1" "B15 B16"
check "q64 crc --filter " "9"
check "q64 list " "roms"
check "q64 verify --dat " "game.z64"
exit $failed
