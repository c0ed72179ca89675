#!/usr/bin/env bash
# Puts LinuxCNC's stand-alone G-code interpreter rs274 into a directory of the
# build tree, without installing anything on the system:
#
#   fetch_rs274.sh <dir>
#
# The Debian packages are fetched with apt-get download and unpacked with
# dpkg-deb -x under <dir>/root; <dir>/run-rs274 then runs the interpreter with
# the unpacked libraries, and <dir>/tools.tbl is a tool table holding tools 1-20.
# Installing linuxcnc-uspace would pull in systemd-sysv, udev and iptables.
# Any failure ends with a message and status 1: the acceptance test must not
# pass for want of an interpreter.
set -euo pipefail

dir=${1:?usage: fetch_rs274.sh <dir>}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
root=$dir/root

# The interpreter, the libraries it links against that a Debian system does
# not always carry (found with ldd on the unpacked program), and the Python
# standard library, which rs274 loads at start-up from PYTHONHOME. The C and
# C++ runtimes, zlib, libtinfo and libmd come with every Debian system and are
# taken from it, so that they match its dynamic loader.
PACKAGES=(linuxcnc-uspace libboost-python1.74.0 libpython3.11 libedit2 libtirpc3 libexpat1 libbsd0
          libgssapi-krb5-2 libkrb5-3 libk5crypto3 libcom-err2 libkrb5support0 libkeyutils1
          libpython3.11-minimal libpython3.11-stdlib)
LIBRARY_DIRS=(usr/lib usr/lib/x86_64-linux-gnu lib/x86_64-linux-gnu)

fail() { echo "fetch_rs274.sh: $*" >&2; exit 1; }

library_path() {
    local path='' d
    for d in "${LIBRARY_DIRS[@]}"; do path+=${path:+:}$root/$d; done
    echo "$path"
}

# The unpacked tree is kept while it still runs, so only the first run downloads.
ready() {
    [ -x "$root/usr/bin/rs274" ] && [ -x "$dir/run-rs274" ] && [ -f "$dir/tools.tbl" ] &&
        ! LD_LIBRARY_PATH=$(library_path) ldd "$root/usr/bin/rs274" | grep -q 'not found'
}

download() {
    # The sandbox user _apt cannot write into a build tree owned by another user.
    (cd "$dir/debs" && apt-get -q -o APT::Sandbox::User="$(id -un)" download "${PACKAGES[@]}")
}

fetch() {
    rm -rf "$root" "$dir/debs"
    mkdir -p "$root" "$dir/debs"
    if ! download; then
        # A fresh system has no package lists yet.
        local sudo=''
        [ "$(id -u)" = 0 ] || sudo=sudo
        $sudo apt-get -q update || fail "apt-get update failed"
        download || fail "apt-get download ${PACKAGES[*]} failed"
    fi
    local deb
    for deb in "$dir"/debs/*.deb; do
        dpkg-deb -x "$deb" "$root" || fail "cannot unpack $deb"
    done
    rm -rf "$dir/debs"
}

write_helpers() {
    cat > "$dir/run-rs274" <<RUN
#!/bin/sh
# rs274 keeps its tool table in \$HOME/.tool.mmap: give every run a home of its own.
home=\$(mktemp -d) || exit 1
trap 'rm -rf "\$home"' EXIT
unset PYTHONPATH PYTHONSTARTUP
HOME=\$home LD_LIBRARY_PATH='$(library_path)' PYTHONHOME='$root/usr' '$root/usr/bin/rs274' "\$@"
RUN
    chmod +x "$dir/run-rs274"
    local t
    for t in $(seq 1 20); do echo "T$t P$t D1.0 ;drill $t"; done > "$dir/tools.tbl"
}

if ready; then
    exit 0
fi
fetch
write_helpers
missing=$(LD_LIBRARY_PATH=$(library_path) ldd "$root/usr/bin/rs274" | grep 'not found' || true)
[ -z "$missing" ] || fail "rs274 still lacks libraries:"$'\n'"$missing"
echo "fetch_rs274.sh: rs274 ready in $dir"
