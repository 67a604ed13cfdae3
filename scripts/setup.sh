#!/usr/bin/env bash
# Installs what building, running and testing Quorvel needs, when it is missing (Debian/Ubuntu).
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libgl-dev libpcre2-dev socat poppler-utils dbus-daemon
          dpkg-dev file desktop-file-utils shared-mime-info systemd libsystemd-dev python3-prometheus-client lintian man-db
          clang libclang-rt-dev xvfb)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
fi
