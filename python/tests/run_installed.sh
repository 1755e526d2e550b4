#!/bin/sh
# Installs the package with pip into a fresh virtual environment and runs its
# tests there, from outside the source folder, as a user would have it.
# Usage: run_installed.sh PYTHON PACKAGE_DIR WORK_DIR [SHARED_OBJECT...]
#        run_installed.sh PYTHON WHEEL WORK_DIR
# From a folder, the shared objects are bundled into the package
# (PEXILON_BUNDLE_LIBRARIES). A wheel is installed as a user installs it: into
# a virtual environment with nothing else in it, offline.
set -eu
python=$1 package=$2 work=$3
shift 3

rm -rf "$work"
mkdir -p "$work/tests"
cp "$(dirname "$0")/test_pexilon_config.py" "$work/tests/"
export PIP_DISABLE_PIP_VERSION_CHECK=1

case $package in
*.whl)
    # pip comes from the interpreter's own copy (Debian: python3-venv).
    "$python" -m venv "$work/venv"
    "$work/venv/bin/python" -m pip install --quiet --no-index --no-deps "$package"
    ;;
*)
    # pip builds in the tree it is given: give it a copy, not the source folder.
    cp -R "$package" "$work/package"
    rm -rf "$work/package/build" "$work/package"/src/*.egg-info
    # The system's setuptools and pip (Debian packages) build and install it;
    # nothing is fetched.
    "$python" -m venv --system-site-packages --without-pip "$work/venv"
    bundle=$(IFS=:; echo "$*")
    PEXILON_BUNDLE_LIBRARIES=$bundle "$work/venv/bin/python" -m pip install --quiet \
        --no-build-isolation --no-index --no-deps "$work/package"
    ;;
esac

cd "$work/tests"
exec "$work/venv/bin/python" -B -m unittest -v test_pexilon_config
