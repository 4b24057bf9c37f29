# Fresh minimal Debian roots for the package checks, sourced by them: make_root SUITE [ARCH]
# unpacks a minbase system of that release (bookworm, trixie) into a new folder, $root, with
# /proc, /dev and the cache's package archives mounted, and in_root runs a command there as root.
# A root of another architecture (arm64) runs its programs through qemu, as binfmt_misc hands
# them over (qemu_ready below). Every root is
# unmounted and removed when the script ends, whatever ended it.
#
# debootstrap makes the base system once a release, kept as a tarball in $TALLIVUE_CHROOT_CACHE
# (default ~/.cache/tallivue-chroot), with the packages apt-get fetches beside it in archives/,
# so later runs neither bootstrap nor download again; delete the tarball to start from a newer
# release. Needs root and Debian's package mirrors.

cache=${TALLIVUE_CHROOT_CACHE:-$HOME/.cache/tallivue-chroot}
roots=()
export DEBIAN_FRONTEND=noninteractive LC_ALL=C

fail() { echo "${check_name:-chroot}: $*" >&2; exit 1; }

[ "$(id -u)" = 0 ] || fail "must run as root: it makes a chroot and mounts into it"
for tool in debootstrap:debootstrap ip:iproute2; do
    command -v "${tool%%:*}" >/dev/null && continue
    echo "== Installing ${tool#*:}"
    apt-get update -qq && apt-get install -y -qq "${tool#*:}" >/dev/null ||
        fail "cannot install ${tool#*:}"
done

remove_roots() {
    local status=$? process mounted mount
    for root in "${roots[@]}"; do
        # Whatever still runs inside (a display left by a failed step) would hold the mounts.
        for process in /proc/[0-9]*; do
            [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] && kill -9 "${process#/proc/}"
        done
        for mount in $(findmnt -rn -o TARGET | grep -F "$root/" | sort -r); do
            umount "$mount" 2>/dev/null || umount -l "$mount"
        done
        mounted=$(findmnt -rn -o TARGET | grep -F "$root/" || true)
        if [ -n "$mounted" ]; then
            echo "${check_name:-chroot}: still mounted, so $root is left in place:" $mounted >&2
        else
            rm -rf --one-file-system "$root"
        fi
    done
    exit "$status"
}
trap remove_roots EXIT
trap 'exit 130' INT TERM

# Arm programs run on this machine through qemu-user-static, which binfmt_misc is told of: with
# its "fix binary" flag the emulator is found inside a chroot too.
qemu_ready() {
    local binfmt=/proc/sys/fs/binfmt_misc
    if ! command -v qemu-aarch64-static >/dev/null || ! command -v update-binfmts >/dev/null; then
        echo "== Installing qemu-user-static and binfmt-support"
        apt-get update -qq && apt-get install -y -qq qemu-user-static binfmt-support >/dev/null ||
            fail "cannot install qemu-user-static and binfmt-support"
    fi
    [ -f "$binfmt/status" ] || mount -t binfmt_misc binfmt_misc "$binfmt" ||
        fail "cannot mount $binfmt, through which Arm programs reach qemu"
    [ -f "$binfmt/qemu-aarch64" ] || update-binfmts --enable qemu-aarch64 ||
        fail "update-binfmts cannot hand Arm programs to qemu"
    grep -q '^flags:.*F' "$binfmt/qemu-aarch64" ||
        fail "qemu-aarch64 is registered without the F flag, so chroots cannot run Arm programs"
}

make_root() { # SUITE [ARCH]
    local suite=$1 arch=${2:-} base=$cache/$1${2:+-$2}-minbase.tar.gz
    local arch_option=()
    if [ -n "$arch" ] && [ "$arch" != "$(dpkg --print-architecture)" ]; then
        qemu_ready
        arch_option=(--arch="$arch")
    fi
    root=$(mktemp -d "${TMPDIR:-/tmp}/tallivue-$suite.XXXXXX")
    roots+=("$root")
    chmod 755 "$root" # it becomes /, which every user of the chroot must be able to enter
    mkdir -p "$cache/archives"
    if [ ! -f "$base" ]; then
        echo "== Bootstrapping Debian $suite ${arch:+$arch }(minbase) into $root, kept in $base"
        debootstrap --variant=minbase "${arch_option[@]}" "$suite" "$root" \
            >"$root.debootstrap.log" 2>&1 ||
            fail "debootstrap failed: see $root.debootstrap.log"
        rm -f "$root.debootstrap.log"
        # Without the packages it installed from: their place is the cache's archives/.
        tar -C "$root" --numeric-owner --exclude='./var/cache/apt/archives/*.deb' \
            -czf "$base.part" . || { rm -f "$base.part"; fail "cannot keep the base system in $base"; }
        mv "$base.part" "$base"
    else
        echo "== Unpacking the cached Debian $suite of $base"
        tar -C "$root" --numeric-owner -xzf "$base" ||
            fail "cannot unpack $base: delete it, and the next run bootstraps anew"
    fi
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --make-rslave "$root/dev"
    mount --bind "$cache/archives" "$root/var/cache/apt/archives"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
}

# A step of a check: its output in $logs/LOG, its time on the console.
step() { # NAME LOG COMMAND...
    local name=$1 log=$logs/$2 begun=$SECONDS
    shift 2
    echo "== $name"
    "$@" >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "$name failed: see $log"; }
    echo "   $((SECONDS - begun)) s"
}

in_root() {
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C \
        DEBIAN_FRONTEND=noninteractive "$@"
}

# in_root in a network of its own, loopback only: the tests and the display use UDP port 12001,
# which neither the machine's own displays nor its tests may share.
in_root_offline() {
    unshare --net sh -c 'ip link set lo up && exec "$@"' sh \
        chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C \
        DEBIAN_FRONTEND=noninteractive "$@"
}
