#!/bin/sh
# Installs every build, test, benchmark and demo dependency from Debian packages.
set -eu
export DEBIAN_FRONTEND=noninteractive
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake pkg-config \
    qt6-base-dev qt6-serialport-dev qt6-multimedia-dev qt6-svg-dev libqcustomplot-dev \
    libbenchmark-dev \
    clang libclang-rt-14-dev \
    xvfb xauth fonts-dejavu-core \
    libgl1-mesa-dev \
    libgsl-dev \
    desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl help2man file \
    lintian \
    dbus-daemon at-spi2-core python3-pyatspi
