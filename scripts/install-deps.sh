#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Korvalin needs.
# Idempotent: packages already present are not touched. Says what it installs and lets
# apt show its progress.
# Usage: scripts/install-deps.sh [--runtime]   (--runtime: only what building and running need)
set -euo pipefail

build_packages=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-svg-dev libgl-dev
    libxcb1-dev libxcb-ewmh-dev
    fonts-liberation xdg-utils
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev clang-format
    iproute2 iputils-ping
    snmpd snmp libsnmp-dev
    xvfb xauth openbox trayer xdotool x11-utils imagemagick
    nload procps python3 dbus-daemon
)

packages=("${build_packages[@]}")
if [[ "${1:-}" != "--runtime" ]]; then
    packages+=("${test_packages[@]}")
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
    echo "install-deps: all ${#packages[@]} packages are already installed."
    exit 0
fi

as_root=()
if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
fi

echo "install-deps: installing ${#missing[@]} of ${#packages[@]} packages:"
printf '    %s\n' "${missing[@]}"
export DEBIAN_FRONTEND=noninteractive
echo "install-deps: updating the package lists"
"${as_root[@]}" apt-get update
echo "install-deps: installing"
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
echo "install-deps: installed ${missing[*]}"

# The package starts a system-wide agent on port 161; tests run their own agents in
# network namespaces, so the system one is stopped and kept from starting.
if [[ " ${missing[*]} " == *" snmpd "* ]]; then
    echo "install-deps: stopping the system's SNMP agent and keeping it from starting"
    "${as_root[@]}" systemctl disable --now snmpd >/dev/null 2>&1 || true
    "${as_root[@]}" service snmpd stop >/dev/null 2>&1 || true
fi
