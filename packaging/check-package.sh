#!/bin/bash
# Checks of the installed program and of the Debian package, run by ctest.
#   check-package.sh tools
#   check-package.sh install  BUILD_DIR APP_ID "ICON_SIZES"
#   check-package.sh launcher LAUNCHER
#   check-package.sh deb      BUILD_DIR APP_ID "ICON_SIZES"
# Exit 77 means skipped (a validator is missing and cannot be installed).
set -euo pipefail

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
finish() { if [ "$failures" -ne 0 ]; then echo "$failures check(s) failed" >&2; exit 1; fi; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Files every installation must hold, relative to the prefix.
expected_files() { # APP_ID ICON_SIZES
    echo bin/zettelfix
    echo bin/zettelfix-start
    echo "share/applications/$1.desktop"
    echo "share/metainfo/$1.metainfo.xml"
    echo "share/icons/hicolor/scalable/apps/$1.svg"
    for size in $2; do echo "share/icons/hicolor/${size}x${size}/apps/$1.png"; done
}

# The desktop entry must start the installed launcher and name the installed
# icon, and the metadata must name the desktop entry: otherwise the menu
# shows a dead or iconless entry.
check_tied_together() { # PREFIX_DIR APP_ID
    local prefix=$1 id=$2 desktop="$1/share/applications/$2.desktop" exec icon
    exec=$(sed -n 's/^Exec=//p' "$desktop")
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    check "Exec names the launcher ($exec)" test "$exec" = zettelfix-start
    check "the launcher is installed executable" test -x "$prefix/bin/$exec"
    check "Icon is the installed icon ($icon)" test -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg"
    check "metainfo launches the desktop entry" \
        grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$prefix/share/metainfo/$id.metainfo.xml"
}

need_validators() {
    command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null && return
    echo "SKIP: desktop-file-validate or appstreamcli missing" >&2
    exit 77
}

case ${1:-} in
tools)
    # CI runs as root on a fresh machine with Debian's package registry.
    missing=()
    command -v desktop-file-validate >/dev/null || missing+=(desktop-file-utils)
    command -v appstreamcli >/dev/null || missing+=(appstream)
    [ ${#missing[@]} -eq 0 ] && { echo "validators present"; exit 0; }
    if [ "$(id -u)" -ne 0 ] || ! command -v apt-get >/dev/null; then
        echo "SKIP: ${missing[*]} missing and cannot be installed here" >&2
        exit 77
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq "${missing[@]}" >/dev/null 2>&1 \
        || { apt-get update -qq >/dev/null 2>&1 && apt-get install -y -qq "${missing[@]}" >/dev/null; }
    command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null
    echo "installed ${missing[*]}"
    ;;

install)
    need_validators
    build=$2 id=$3 sizes=$4
    DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >"$scratch/install.log"
    prefix="$scratch/root/usr"
    while read -r file; do
        check "installed $file" test -f "$prefix/$file"
    done < <(expected_files "$id" "$sizes")
    check "the program is executable" test -x "$prefix/bin/zettelfix"
    for size in $sizes; do
        png="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
        # PNG width and height are the big-endian words at bytes 16 and 20.
        dims=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
        check "icon $size is ${size}x${size} (got $dims)" test "$dims" = "${size}x${size}"
    done
    check "the launcher is a valid shell script" sh -n "$prefix/bin/zettelfix-start"
    check "desktop-file-validate" desktop-file-validate "$prefix/share/applications/$id.desktop"
    check "appstreamcli validate" appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
    check "appstreamcli validate-tree" appstreamcli validate-tree --no-net "$scratch/root"
    check_tied_together "$prefix" "$id"
    finish
    ;;

launcher)
    # The launcher next to a stand-in program that reports where it runs.
    launcher=$2
    unset ZETTELFIX_DATA
    mkdir -p "$scratch/bin"
    cp "$launcher" "$scratch/bin/zettelfix-start"
    cat >"$scratch/bin/zettelfix" <<'EOF'
#!/bin/sh
pwd -P
for a in "$@"; do echo "arg:$a"; done
EOF
    chmod +x "$scratch/bin/zettelfix" "$scratch/bin/zettelfix-start"

    home="$scratch/home of user"
    mkdir -p "$home"
    out=$(cd / && HOME=$home "$scratch/bin/zettelfix-start") || out="(launcher failed)"
    check "creates ~/Zettelfix when missing" test -d "$home/Zettelfix"
    check "runs the program in ~/Zettelfix (got $out)" test "$out" = "$(cd "$home/Zettelfix" && pwd -P)"

    mkdir -p "$home/Zettelfix"
    echo "42" >"$home/Zettelfix/nummer.dat"
    out=$(cd /tmp && HOME=$home "$scratch/bin/zettelfix-start" -platform offscreen) || out="(launcher failed)"
    check "keeps an existing data folder" test "$(cat "$home/Zettelfix/nummer.dat")" = 42
    check "passes its arguments on" test "$(printf '%s\n' "$out" | grep -c '^arg:')" = 2

    # Started through a link from another folder (as /usr/local/bin links do),
    # it still finds the program next to itself.
    mkdir -p "$scratch/links"
    ln -s "$scratch/bin/zettelfix-start" "$scratch/links/zettelfix-start"
    out=$(cd / && HOME=$home "$scratch/links/zettelfix-start") || out="(launcher failed)"
    check "works through a symbolic link" test "$out" = "$(cd "$home/Zettelfix" && pwd -P)"
    # The menu starts it by name through PATH.
    out=$(cd / && HOME=$home PATH="$scratch/bin:/usr/bin:/bin" zettelfix-start) || out="(launcher failed)"
    check "works when found through PATH" test "$out" = "$(cd "$home/Zettelfix" && pwd -P)"

    # The data folder the start script also honours.
    out=$(cd / && HOME=$home ZETTELFIX_DATA="$scratch/other data/Belege" "$scratch/bin/zettelfix-start") || out="(launcher failed)"
    check "ZETTELFIX_DATA names another data folder, created with its parents" \
        test "$out" = "$(cd "$scratch/other data/Belege" 2>/dev/null && pwd -P)"

    # A file where the folder should be: the launcher must refuse, not start
    # the program somewhere else.
    blocked="$scratch/blocked"
    mkdir -p "$blocked"
    : >"$blocked/Zettelfix"
    if out=$(cd / && HOME=$blocked "$scratch/bin/zettelfix-start" 2>"$scratch/err"); then
        fail "a file named Zettelfix in HOME is refused (launcher ran: $out)"
    else
        check "a file named Zettelfix in HOME is refused" test -z "$out"
        check "and the refusal names the folder" grep -q "$blocked/Zettelfix" "$scratch/err"
    fi
    if out=$(cd / && env -u HOME "$scratch/bin/zettelfix-start" 2>/dev/null); then
        fail "no HOME is refused (launcher ran: $out)"
    else
        echo "ok: no HOME is refused"
    fi
    finish
    ;;

deb)
    need_validators
    build=$2 id=$3 sizes=$4
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" \
        || { cat "$scratch/cpack.log" >&2; exit 1; }
    debs=("$scratch"/out/zettelfix_*.deb)
    check "one package named zettelfix_VERSION_ARCH.deb" test ${#debs[@]} -eq 1 -a -f "${debs[0]}"
    deb=${debs[0]}
    echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

    check "package name" test "$(dpkg-deb -f "$deb" Package)" = zettelfix
    check "maintainer set" test -n "$(dpkg-deb -f "$deb" Maintainer)"
    check "description set" test -n "$(dpkg-deb -f "$deb" Description)"
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for dep in libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6core6 qt6-qpa-plugins fonts-liberation; do
        check "depends on $dep" grep -qE "(^|[ ,|])$dep( |,|$)" <<<"$depends"
    done

    dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./||' >"$scratch/list"
    while read -r file; do
        check "package holds /usr/$file" grep -qx "usr/$file" "$scratch/list"
    done < <(expected_files "$id" "$sizes")
    check "package holds nothing outside /usr" test -z "$(grep -v '^usr\(/\|$\)' "$scratch/list" | grep -v '^$' || true)"
    check "package holds no test or helper program" \
        test -z "$(grep '^usr/bin/' "$scratch/list" | grep -vx 'usr/bin/zettelfix\|usr/bin/zettelfix-start\|usr/bin/' || true)"

    dpkg -x "$deb" "$scratch/root"
    prefix="$scratch/root/usr"
    check "unpacked launcher is executable" test -x "$prefix/bin/zettelfix-start"
    check "unpacked program is executable" test -x "$prefix/bin/zettelfix"
    check "unpacked desktop entry is valid" desktop-file-validate "$prefix/share/applications/$id.desktop"
    check_tied_together "$prefix" "$id"

    # The unpacked program, started by its launcher, comes up and stays up.
    home="$scratch/home"
    mkdir -p "$home"
    unset ZETTELFIX_DATA
    set +e
    HOME=$home QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 timeout 4 "$prefix/bin/zettelfix-start" \
        >"$scratch/run.log" 2>&1
    rc=$?
    set -e
    check "unpacked program starts and keeps running (rc $rc)" test $rc -eq 124
    [ $rc -eq 124 ] || cat "$scratch/run.log" >&2
    check "its data folder was created" test -d "$home/Zettelfix"
    finish
    ;;

*)
    echo "usage: $0 tools | install BUILD APP_ID SIZES | launcher LAUNCHER | deb BUILD APP_ID SIZES" >&2
    exit 2
    ;;
esac
