#!/bin/sh
# Installs the package with pip into a fresh virtual environment and runs its
# tests there, from outside the source folder, as a user would have it.
# Usage: run_installed.sh PYTHON PACKAGE_DIR WORK_DIR [SHARED_OBJECT...]
# The shared objects are bundled into the package (PEXILON_BUNDLE_LIBRARIES).
set -eu
python=$1 package=$2 work=$3
shift 3

rm -rf "$work"
mkdir -p "$work/tests"
# pip builds in the tree it is given: give it a copy, not the source folder.
cp -R "$package" "$work/package"
rm -rf "$work/package/build" "$work/package"/src/*.egg-info
cp "$package/tests/test_pexilon_config.py" "$work/tests/"

# The system's setuptools and pip (Debian packages) build and install it;
# nothing is fetched.
"$python" -m venv --system-site-packages --without-pip "$work/venv"
bundle=$(IFS=:; echo "$*")
PEXILON_BUNDLE_LIBRARIES=$bundle PIP_DISABLE_PIP_VERSION_CHECK=1 \
    "$work/venv/bin/python" -m pip install --quiet --no-build-isolation --no-index \
    --no-deps "$work/package"

cd "$work/tests"
exec "$work/venv/bin/python" -B -m unittest -v test_pexilon_config
