#!/bin/sh
# Runs a command in a private network namespace of its own, where nothing it sends can leave
# the machine: the loopback, a link whose far end is inside the namespace too with a default
# route through it (so that a browser engine takes itself to be online), and a system resolver
# at 127.0.0.1, where the command may listen to what is looked up. FZ_PRIVATE_NETWORK=1 tells
# the command so; where no namespace can be made, the command runs as it is with
# FZ_PRIVATE_NETWORK=0 and the reason in FZ_PRIVATE_NETWORK_WHY.
set -u
if [ "${FZ_PRIVATE_NETWORK:-}" != inside ]; then
  if why=$(unshare --net --mount true 2>&1); then
    exec env FZ_PRIVATE_NETWORK=inside unshare --net --mount "$0" "$@"
  fi
  exec env FZ_PRIVATE_NETWORK=0 FZ_PRIVATE_NETWORK_WHY="no network namespace: $why" "$@"
fi
resolv=$(mktemp)
trap 'rm -f "$resolv"' EXIT
printf 'nameserver 127.0.0.1\noptions timeout:1 attempts:1\n' >"$resolv"
# 192.0.2.0/24 is kept for documentation: no host anywhere has it.
if why=$({ ip link set lo up && ip link add fz0 type veth peer name fz1 &&
           ip addr add 192.0.2.1/24 dev fz0 && ip link set fz0 up && ip link set fz1 up &&
           ip route add default dev fz0 && mount --make-rprivate / &&
           mount --bind "$resolv" /etc/resolv.conf; } 2>&1); then
  FZ_PRIVATE_NETWORK=1 "$@"
else
  FZ_PRIVATE_NETWORK=0 FZ_PRIVATE_NETWORK_WHY="the private network could not be laid: $why" "$@"
fi
