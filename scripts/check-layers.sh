#!/usr/bin/env bash
# Checks the quoted includes against the layers: a file in src/ may include its own
# layer and the layers below it, a test program's files what that program links (plus
# the fakes, the test support and their own folder). Prints file, line and include of
# every include that reaches further and fails; also fails when the table below and the
# DEPENDS of src/CMakeLists.txt part ways.
#
# Usage: scripts/check-layers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

# Each layer and the layers it links directly, as in src/CMakeLists.txt ("main" is
# main.cpp, the program).
declare -A links=(
    [ports]=""
    [base]=""
    [snmp]=""
    [core]="ports base"
    [sources]="core snmp ports"
    [control]="sources"
    [platform_linux]="ports base"
    [console]="control ports"
    [platform_qt]="ports base"
    [widgets]="platform_qt"
    [display]="widgets control"
    [diag]="display"
    [app]="diag platform_linux"
    [main]="app console platform_linux"
)

# Each folder of tests/ that tests a layer and what its program links, as in
# tests/CMakeLists.txt. The fakes and the desktop tests (which run the program) are not
# checked: a fake stands in for a port of whichever layer includes it.
declare -A test_links=(
    [base]="base"
    [core]="core"
    [snmp]="snmp"
    [sources]="sources"
    [control]="control"
    [platform]="platform_linux"
    [console]="console platform_linux"
    [integration]="console platform_linux"
    [platform_qt]="platform_qt platform_linux"
    [widgets]="widgets"
    [display]="display"
    [diag]="diag"
    [app]="app"
)

# Sets REPLY to the layer of a path below src/ (a file or an include), or to nothing.
layer_of() {
    REPLY=""
    case "$1" in
    main.cpp) REPLY=main ;;
    platform/linux/*) REPLY=platform_linux ;;
    platform/qt/* | platform/x11/*) REPLY=platform_qt ;;
    platform/*/*) ;;
    platform/*) REPLY=ports ;;
    base/* | snmp/* | core/* | sources/* | control/* | console/* | widgets/* | display/* | \
        diag/* | app/*) REPLY="${1%%/*}" ;;
    esac
}

# The layers below a layer, each once.
below() {
    local layer
    for layer in ${links[$1]}; do
        echo "$layer"
        below "$layer"
    done | sort -u
}

failed=0
report() {
    echo "$1" >&2
    failed=1
}

declare -A allowed
for layer in "${!links[@]}"; do
    allowed[$layer]=" $layer $(below "$layer" | tr '\n' ' ')"
done
declare -A test_allowed
for folder in "${!test_links[@]}"; do
    test_allowed[$folder]=" "
    for layer in ${test_links[$folder]}; do
        test_allowed[$folder]+="${allowed[$layer]} "
    done
done

# The table must be the one CMake builds: compare each layer's korvalin_* DEPENDS.
declare -A built=([main]=1)
while read -r layer depends; do
    built[$layer]=1
    if [[ ! -v "links[$layer]" ]]; then
        report "src/CMakeLists.txt: korvalin_$layer is missing from scripts/check-layers.sh"
        continue
    fi
    # shellcheck disable=SC2086  # the lists are split into words on purpose
    mine=$(printf '%s\n' ${links[$layer]} | sort | xargs)
    # shellcheck disable=SC2086
    theirs=$(printf '%s\n' $depends | sort | xargs)
    if [[ "$mine" != "$theirs" ]]; then
        report "src/CMakeLists.txt: korvalin_$layer links '$theirs', scripts/check-layers.sh says '$mine'"
    fi
done < <(awk '
    /^[[:space:]]*#/ { next }
    /korvalin_layer\(/ { call = ""; open = 1 }
    open { call = call " " $0; if ($0 ~ /\)/) { open = 0; print call } }' src/CMakeLists.txt |
    sed -E 's/.*korvalin_layer\(korvalin_([a-z_]+)/\1/; s/\)//' |
    awk '{ deps = ""; on = 0
           for (i = 2; i <= NF; i++) {
               if ($i == "DEPENDS") { on = 1; continue }
               if ($i ~ /^[A-Z_]+$/) { on = 0; continue }
               if (on && $i ~ /^korvalin_/) { sub(/^korvalin_/, "", $i); deps = deps " " $i }
           }
           print $1 deps }')

for layer in "${!links[@]}"; do
    [[ -v "built[$layer]" ]] || report "scripts/check-layers.sh: src/CMakeLists.txt builds no korvalin_$layer"
done

include_pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"'

while IFS=: read -r file line text; do
    [[ "$text" =~ $include_pattern ]] || continue
    include="${BASH_REMATCH[1]}"
    layer_of "${file#src/}"
    layer="$REPLY"
    layer_of "$include"
    target="$REPLY"
    if [[ -z "$layer" ]]; then
        report "$file:$line: the file lies in no layer's folder"
    elif [[ -z "$target" ]]; then
        report "$file:$line: #include \"$include\" names no layer's folder"
    elif [[ "${allowed[$layer]}" != *" $target "* ]]; then
        report "$file:$line: #include \"$include\": $layer does not stand on $target"
    fi
done < <(grep -rnE "$include_pattern" src --include='*.h' --include='*.cpp')

while IFS=: read -r file line text; do
    [[ "$text" =~ $include_pattern ]] || continue
    include="${BASH_REMATCH[1]}"
    folder="${file#tests/}"
    folder="${folder%%/*}"
    [[ -v "test_allowed[$folder]" ]] || continue
    if [[ -e "${file%/*}/$include" ]]; then
        continue  # beside the including file
    fi
    case "$include" in
    fakes/* | support/* | "$folder"/*) continue ;;
    esac
    layer_of "$include"
    target="$REPLY"
    if [[ -z "$target" ]]; then
        report "$file:$line: #include \"$include\" names no layer's folder"
    elif [[ "${test_allowed[$folder]}" != *" $target "* ]]; then
        report "$file:$line: #include \"$include\": the tests in tests/$folder do not link $target"
    fi
done < <(grep -rnE "$include_pattern" tests --include='*.h' --include='*.cpp')

if [[ $failed -ne 0 ]]; then
    echo "check-layers: includes that run against the layers (table in $0)" >&2
    exit 1
fi
echo "check-layers: every include stands on a layer below"
