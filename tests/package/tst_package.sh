#!/usr/bin/env bash
# Guards against Debian packages that miss the program, its desktop entry, icons or AppStream
# metadata, that put the server into the client's package, whose dependencies were not computed
# or name a library the README's Licences section does not list, or whose installed program
# does not start from where the package puts it.
# Usage: tst_package.sh BUILD_DIR VERSION
set -euo pipefail

build=$1
version=$2
work=$(mktemp -d)
client_pid=
cleanup() {
    if [ -n "$client_pid" ]; then
        kill -KILL "$client_pid" 2>/dev/null || true
        wait "$client_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/packages" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
client=$work/packages/corvane_${version}_amd64.deb
server=$work/packages/tessaro-server_${version}_amd64.deb
[ -f "$client" ] && [ -f "$server" ] || fail "packages: $(ls "$work/packages")"

# Computed from the libraries each program links, plus what the client loads at run time.
client_depends=$(dpkg-deb -f "$client" Depends)
server_depends=$(dpkg-deb -f "$server" Depends)
for dependency in libqt5widgets5 libqt5network5 libqt5svg5 libqt5keychain1 libquazip1-qt5 libqwt-qt5 \
    libxlsxwriter4 libzbar0 libssl3 qttranslations5-l10n; do
    grep -q "\b$dependency\b" <<<"$client_depends" || fail "corvane does not depend on $dependency"
done
for dependency in libsqlite3-0 libqrencode4 libssl3 libqt5core5a; do
    grep -q "\b$dependency\b" <<<"$server_depends" ||
        fail "tessaro-server does not depend on $dependency"
done
# The client is proprietary: it depends only on packages in the first column of the README's
# Licences table, whose licences were checked.
readme=$(dirname "$0")/../../README.md
licensed=$(sed -n '/^## Licences/,/^## [^L]/p' "$readme" | grep '^| `' | cut -d'|' -f2 |
    grep -o '`[^`]*`' | tr -d '`')
[ -n "$licensed" ] || fail "no Licences table in $readme"
for dependency in $(tr ',|' '\n\n' <<<"$client_depends" | sed 's/(.*)//; s/:any//; s/ //g'); do
    grep -qx -- "$dependency" <<<"$licensed" ||
        fail "corvane depends on $dependency, which README.md's Licences section does not list"
done
! dpkg-deb -c "$client" | grep -q "tessaro-server" || fail "the client's package holds the server"

root=$work/root
dpkg-deb -x "$client" "$root"
dpkg-deb -x "$server" "$root"
share=$root/usr/share
for program in corvane tessaro-server; do
    [ -x "$root/usr/bin/$program" ] || fail "no usr/bin/$program"
done
# Loaded from the program's installation when the first chart is drawn.
[ -n "$(find "$root/usr/lib" -path '*/corvane/libcorvane-chart.so')" ] ||
    fail "no chart module under usr/lib"
desktop=$share/applications/it.corvane.Corvane.desktop
metainfo=$share/metainfo/it.corvane.Corvane.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop entry not valid"
appstreamcli validate --no-net "$metainfo" || fail "AppStream metadata not valid"
grep -q "<release version=\"$version\"" "$metainfo" ||
    fail "AppStream metadata does not name release $version"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for size in 16 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${size}x${size}/apps/$icon.png
    file "$png" | grep -q "PNG image data, $size x $size," || fail "icon $png is not $size px"
done

# The installed client, started offscreen in an empty folder, gets as far as logging its version.
mkdir -p "$work/run" "$work/home"
(cd "$work/run" && HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    exec "$root/usr/bin/corvane" >"$work/client.log" 2>&1) &
client_pid=$!
for _ in $(seq 600); do
    grep -q "Current Corvane version: $version" "$work/client.log" && exit 0
    kill -0 "$client_pid" 2>/dev/null || break
    sleep 0.1
done
cat "$work/client.log" >&2
fail "the installed client did not log its version"
