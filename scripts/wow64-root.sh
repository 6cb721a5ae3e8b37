#!/bin/sh
# The shipped 32-bit installer's Windows: 64-bit Wine with 32-bit Wine beside it (WoW64), in a
# Debian 12 root of its own that is kept in a cache folder outside the checkout.
#
# Why a root of its own: on the host, the i386 packages can come from a security index that is out of
# step with the amd64 one, and then wine32:i386 does not install. A root that knows only the
# bookworm main index gets both architectures from one index, which always match. The host's own
# package architectures stay as they are.
#
# Why a namespace: where the kernel runs no 32-bit code, the root's static qemu-i386 runs it,
# registered with binfmt_misc in a user namespace of the run's own (kernels 6.7 and later give each
# user namespace that mounts binfmt_misc its own handlers). The registration and every mount the run
# makes (the root's /proc, /dev, /sys, /tmp and the checkout, at the same paths) vanish with it.
#
#   scripts/wow64-root.sh ensure       makes the root once, or anew when its recipe below changed;
#                                      prints its path. Exit 1, with the reason on the first line of
#                                      standard output, when it cannot be made here.
#   scripts/wow64-root.sh check        tells how its 32-bit code runs ("natively in ROOT", "under
#                                      qemu-i386 10.0.2 in ROOT"); exit 1 with the reason when the
#                                      32-bit tests cannot run here, 2 when the root's 32-bit Wine is
#                                      there and does not start (a fault of the set-up).
#   scripts/wow64-root.sh run CMD...   runs the host command CMD in such a namespace, with
#                                      NOX_WOW64_ROOT naming the root and NOX_WOW64_HOW saying how;
#                                      Wine is started there through the root (scripts/wine-session.sh
#                                      and the test trees' wine-run.sh do that when NOX_WOW64_ROOT is set).
#
# NOX_WOW64_EMULATE=1 runs the 32-bit code through qemu-i386 even where the kernel runs it, so that the
# emulated way can be tried on any machine. NOX_CACHE_DIR moves the cache (default ~/.cache/noxsetup).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
checkout=$(dirname "$here")

# What the root holds. Any change here makes the next run build a new root and remove the old one.
recipe="debootstrap --variant=minbase bookworm amd64; i386 added; bookworm main
wine wine64 wine32:i386 fonts-wine
bookworm-backports (amd64 only): qemu-user"
root_packages="wine wine64 wine32:i386 fonts-wine qemu-user/bookworm-backports"
stamp=$(printf '%s' "$recipe" | sha256sum | cut -c 1-12)
cache=${NOX_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/noxsetup}
root="$cache/wow64-root-$stamp"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi

# The Debian mirror the host's apt already uses for bookworm main; the root takes the same.
host_mirror() {
  {
    apt-cache policy 2>/dev/null | awk '$3 == "bookworm/main" && $4 == "amd64" && $2 ~ /^https?:/ { print $2 }'
    # Before the host's first apt-get update: the first bookworm source it names.
    grep -hsE '^(URIs:|deb) ' /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list |
      grep -v security | grep -oE 'https?://[^ ]+' 
  } | head -n 1
}

# Runs as root in a mount namespace of its own: the root's /proc, /dev and /sys are mounted only there.
make_inside() {
  new=$1 mirror=$2
  debootstrap --variant=minbase --arch=amd64 bookworm "$new" "$mirror" >"$new.log" 2>&1 ||
    { tail -n 3 "$new.log" | tr '\n' ' '; return 1; }
  for folder in proc dev sys; do mount --rbind "/$folder" "$new/$folder"; done
  cp /etc/resolv.conf "$new/etc/resolv.conf" 2>/dev/null || true
  echo "deb [arch=amd64] $mirror bookworm-backports main" >"$new/etc/apt/sources.list.d/backports.list"
  chroot "$new" dpkg --add-architecture i386
  tries=0
  until chroot "$new" apt-get update -qq >>"$new.log" 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 4 ] || { echo "apt-get update failed in the root: $(tail -n 1 "$new.log")"; return 1; }
    sleep $((tries * 5))
  done
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive chroot "$new" apt-get install -y -qq --no-install-recommends $root_packages \
    >>"$new.log" 2>&1 || { grep -E '^E:' "$new.log" | head -n 3 | tr '\n' ' '; return 1; }
  chroot "$new" apt-get clean
}

ensure() {
  mkdir -p "$cache"
  # One run makes the root; a second one, in another checkout, waits for it and takes it.
  exec 8>"$cache/.making.lock"
  flock 8
  if [ ! -f "$root/.nox-root-complete" ]; then
    command -v debootstrap >/dev/null || { echo "debootstrap is not installed"; return 1; }
    mirror=$(host_mirror)
    [ -n "$mirror" ] || { echo "the host's apt knows no mirror for bookworm main"; return 1; }
    echo "Making the WoW64 root $root (once per machine; a few minutes)" >&2
    new="$root.new"
    # What an interrupted run left is never trusted.
    $sudo rm -rf --one-file-system "$new" "$new.log"
    mkdir -p "$new"
    if ! why=$($sudo unshare --mount --propagation private "$0" make-inside "$new" "$mirror"); then
      $sudo rm -rf --one-file-system "$new"
      echo "the WoW64 root could not be made: $why (the log: $new.log)"
      return 1
    fi
    printf '%s\n' "$recipe" >"$new/.nox-root-complete"
    $sudo rm -rf --one-file-system "$root"
    mv "$new" "$root"
    rm -f "$new.log"
  fi
  # Roots of earlier recipes go, unless a run (in another checkout) is using one.
  for old in "$cache"/wow64-root-*; do
    case $old in "$root" | *.lock | *.new | *.log) continue ;; esac
    [ -d "$old" ] || continue
    flock -n -x "$old.lock" $sudo rm -rf --one-file-system "$old" && rm -f "$old.lock" || true
  done
  echo "$root"
}

# In the run's own user and mount namespace: binfmt_misc of its own, the emulator where it is needed,
# the root's mounts; then the 32-bit Wine must start.
enter() {
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc ||
    { echo "binfmt_misc cannot be mounted in a user namespace here (a kernel older than 6.7?)"; return 1; }
  # Asked in the run's own, still empty binfmt_misc: no handler of the host's can answer for the kernel.
  if [ "${NOX_WOW64_EMULATE:-}" != 1 ] && python3 "$here/runs-32bit-code.py" >/dev/null; then
    how="natively in $root"
  else
    qemu="$root/usr/bin/qemu-i386"
    # An i386 executable or shared object (e_type 2 or 3, e_machine 3); F opens the emulator now, so
    # that it serves inside the root too.
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    printf ':nox-qemu-i386:M::%s:%s:%s:F\n' "$magic" "$mask" "$qemu" >/proc/sys/fs/binfmt_misc/register ||
      { echo "qemu-i386 cannot be registered with binfmt_misc in the run's namespace"; return 1; }
    how="under qemu-i386 $("$qemu" --version | sed -n 's/^qemu-i386 version \([^ ]*\).*/\1/p') in $root"
  fi
  for folder in proc dev sys tmp; do
    mount --rbind "/$folder" "$root/$folder" || { echo "/$folder cannot be mounted into the WoW64 root"; return 1; }
  done
  mkdir -p "$root$checkout" && mount --rbind "$checkout" "$root$checkout" ||
    { echo "the checkout cannot be mounted into the WoW64 root"; return 1; }
  export NOX_WOW64_ROOT="$root" NOX_WOW64_HOW="$how"
  if ! version=$(timeout -k 5 120 chroot "$root" /usr/lib/wine/wine --version 2>&1); then
    echo "the root's 32-bit Wine does not start ($how): $version" >&2
    return 2
  fi
}

case ${1:-} in
  ensure) ensure ;;
  make-inside) shift; make_inside "$@" ;;
  check | run)
    if [ ! -f "$root/.nox-root-complete" ]; then
      if [ -f "$checkout/build/wow64-root-unavailable.txt" ]; then
        echo "$(cat "$checkout/build/wow64-root-unavailable.txt")"
      else
        echo "the WoW64 root is not made: run scripts/wow64-root.sh ensure"
      fi
      exit 1
    fi
    if ! unshare --user --map-root-user --mount --fork true 2>/dev/null; then
      echo "this machine makes no user namespace (unshare --user --map-root-user --mount)"
      exit 1
    fi
    touch "$root.lock"
    # The shared lock keeps the root from being removed while this run uses it.
    exec flock -s "$root.lock" unshare --user --map-root-user --mount --fork "$0" "$1-inside" "$@"
    ;;
  check-inside) enter && echo "$NOX_WOW64_HOW" ;;
  run-inside)
    shift 2
    code=0
    enter >&2 || code=$?
    [ "$code" -eq 0 ] || exit "$code"
    exec "$@"
    ;;
  *) echo "usage: $0 ensure | check | run COMMAND..." >&2; exit 64 ;;
esac
