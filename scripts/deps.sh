#!/usr/bin/env bash
# The one list of Debian packages that building, running and testing Tarvex need.
# As root, installs whichever are missing; otherwise prints the apt-get line to run.
set -eu
PACKAGES="qt6-base-dev qt6-svg-dev libjpeg62-turbo-dev zlib1g-dev libgtest-dev libbenchmark-dev fonts-dejavu-core poppler-utils cmake ninja-build g++"
# Oracles of the tests (run by /usr/bin/python3 and GDAL's tools).
PACKAGES="$PACKAGES gdal-bin python3-shapely python3-dbf python3-networkx python3-pyshp"
if [ "${1:-}" = "--fuzz" ]; then
  PACKAGES="$PACKAGES clang"
fi

missing=""
for p in $PACKAGES; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *"install ok installed"*) ;;
    *) missing="$missing $p" ;;
  esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" = "0" ]; then
  echo "Installing:$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends $missing
else
  echo "Missing packages:$missing"
  echo "Run: sudo apt-get update && sudo apt-get install -y$missing"
  exit 1
fi
