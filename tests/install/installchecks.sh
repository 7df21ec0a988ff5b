#!/usr/bin/env bash
# Checks of the desktop install, run by ctest:
#   installchecks.sh configure SOURCE_DIR
#   installchecks.sh install   BUILD_DIR APP_ID
#   installchecks.sh deb       BUILD_DIR APP_ID VERSION
set -euo pipefail

fail() { echo "FAIL: $*" >&2; exit 1; }
need() { command -v "$1" >/dev/null || fail "$1 is missing (scripts/deps installs it)"; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Every file the desktop looks for, relative to the prefix.
desktop_files() {
    local id=$1
    printf '%s\n' bin/vexlo bin/vexlo-cli \
        "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
        "share/icons/hicolor/scalable/apps/$id.svg" share/doc/vexlo/copyright share/doc/vexlo/changelog.gz
    for size in 16 24 32 48 64 128 256 512; do
        echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
}

# Width and height of a PNG file, from its header.
png_size() {
    local bytes
    read -r -a bytes < <(od -An -tu1 -j16 -N8 "$1")
    echo "$(((bytes[0] << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3]))x$(((bytes[4] << 24) | (bytes[5] << 16) | (bytes[6] << 8) | bytes[7]))"
}

check_configure() {
    local src=$1 value out
    # A wrong address stops the configure step with a message that names the setting.
    for value in "https://example.org" "ftp://example.org/" "example.org/repo/" "https:///" \
        'https://example.org/a b/' 'https://example.org/"/'; do
        if out=$(cmake -S "$src" -B "$tmp/build" -G Ninja "-DVEXLO_OWN_SOURCE_URL=$value" 2>&1); then
            fail "configure accepted VEXLO_OWN_SOURCE_URL=$value"
        fi
        grep -q "VEXLO_OWN_SOURCE_URL is \"$value\"" <<<"$out" || fail "no clear message for $value: $out"
        rm -rf "$tmp/build"
    done
    out=$(cmake -S "$src" -B "$tmp/build" -G Ninja "-DVEXLO_PACKAGE_IMAGE_URL=picture.png" 2>&1) &&
        fail "configure accepted a relative VEXLO_PACKAGE_IMAGE_URL"
    grep -q 'VEXLO_PACKAGE_IMAGE_URL is "picture.png"' <<<"$out" || fail "no clear message: $out"
    for value in "" "https://example.org/" "http://127.0.0.1:8080/repo/debs/"; do
        cmake "-DVEXLO_OWN_SOURCE_URL=$value" -P "$src/cmake/ConfiguredAddresses.cmake" ||
            fail "VEXLO_OWN_SOURCE_URL=$value refused"
    done
    for value in "https://images.example/?u=https%3A%2F%2Fa.example%2Fi.png&s=150x150&f=webp" "qrc:/Vexlo/icons/vexlo.svg"; do
        cmake "-DVEXLO_PACKAGE_IMAGE_URL=$value" -P "$src/cmake/ConfiguredAddresses.cmake" ||
            fail "VEXLO_PACKAGE_IMAGE_URL=$value refused"
    done
}

check_install() {
    local build=$1 id=$2 prefix=$tmp/prefix f
    need desktop-file-validate
    need appstreamcli
    cmake --install "$build" --prefix "$prefix" >/dev/null
    # Exactly the desktop's files, nothing of the build besides.
    diff <(desktop_files "$id" | sort) <(cd "$prefix" && find . -type f | sed 's|^\./||' | sort) ||
        fail "installed files differ from the expected ones (< expected, > installed)"
    [[ -x "$prefix/bin/vexlo" && -x "$prefix/bin/vexlo-cli" ]] || fail "programs not executable"
    for size in 16 24 32 48 64 128 256 512; do
        f=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
        [[ "$(png_size "$f")" == "${size}x${size}" ]] || fail "$f is $(png_size "$f")"
    done

    local entry=$prefix/share/applications/$id.desktop meta=$prefix/share/metainfo/$id.metainfo.xml
    desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
    appstreamcli validate --no-net "$meta" || fail "appstreamcli rejects $meta"
    grep -q "<project_license>GPL-3.0-or-later</project_license>" "$meta" || fail "metadata names no licence"
    grep -qx "Icon=$id" "$entry" || fail "the entry does not name the installed icon"
    grep -qx "Exec=vexlo %U" "$entry" || fail "the entry does not start the installed program with its links"
    grep -qx "MimeType=x-scheme-handler/vexlo;" "$entry" || fail "the entry does not take vexlo:// links"
    grep -q "^Name\[ar\]=" "$entry" && grep -q "^Comment\[ar\]=" "$entry" || fail "no Arabic name or comment"
    grep -q "<id>$id</id>" "$meta" || fail "metadata id differs from the app id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "metadata launches no entry"

    # The installed program runs from the prefix, with a fresh data folder.
    mkdir "$tmp/data"
    local listed
    listed=$(VEXLO_DATA_DIR=$tmp/data "$prefix/bin/vexlo-cli" sources)
    [[ $(wc -l <<<"$listed") -ge 6 ]] || fail "installed vexlo-cli listed: $listed"
}

check_deb() {
    local build=$1 id=$2 version=$3 deb dep
    need dpkg-deb
    need dpkg-shlibdeps
    cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >/dev/null
    deb=$(ls "$tmp"/out/*.deb)
    [[ "$(dpkg-deb -f "$deb" Package)" == vexlo ]] || fail "package name"
    [[ "$(dpkg-deb -f "$deb" Version)" == "$version" ]] || fail "package version"
    [[ -n "$(dpkg-deb -f "$deb" Maintainer)" && -n "$(dpkg-deb -f "$deb" Description)" ]] || fail "no maintainer or description"

    # Libraries it links (found by dpkg-shlibdeps) and what it only loads at run time.
    local depends
    depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//' | sort -u)
    for dep in libqt6core6 libqt6gui6 libqt6network6 libqt6qml6 libqt6quick6 libqt6quickcontrols2-6 \
        libzstd1 liblzma5 libbz2-1.0 zlib1g qml6-module-qtquick qml6-module-qtquick-controls \
        qml6-module-qtquick-layouts libqt6svg6 qt6-image-formats-plugins fonts-noto-core; do
        grep -qx "$dep" <<<"$depends" || fail "Depends lacks $dep: $(dpkg-deb -f "$deb" Depends)"
    done
    grep -q '^libsimdjson' <<<"$depends" || fail "Depends lacks simdjson"

    # One paragraph per line of the description: no list separator of CMake in it.
    dpkg-deb -f "$deb" Description | grep -q ';' && fail "the description holds a ';': $(dpkg-deb -f "$deb" Description)"
    need lintian
    lintian --fail-on error "$deb" || fail "lintian finds errors in the package"

    diff <(desktop_files "$id" | sed 's|^|./usr/|' | sort) \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort) ||
        fail "package files differ from the expected ones (< expected, > packaged)"
}

case ${1:-} in
    configure) check_configure "$2" ;;
    install) check_install "$2" "$3" ;;
    deb) check_deb "$2" "$3" "$4" ;;
    *) fail "usage: installchecks.sh configure|install|deb ..." ;;
esac
