"""Build hook: with PEXILON_BUNDLE_LIBRARIES set to a list of shared objects
(separated by ":"), the wheel carries a copy of each inside the package,
under its SONAME, where the package looks before asking the system loader.

    PEXILON_BUNDLE_LIBRARIES=/usr/lib/x86_64-linux-gnu/libpexilon_config_parser.so.1 \\
        pip install --no-build-isolation ./python
"""

import os
import re
import shutil

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.dist import Distribution

BUNDLE = [p for p in os.environ.get("PEXILON_BUNDLE_LIBRARIES", "").split(":") if p]


def soname_of(path):
    """libfoo.so, libfoo.so.1 and libfoo.so.1.0.0 are all installed as libfoo.so.1."""
    name = os.path.basename(os.path.realpath(path))
    match = re.match(r"(lib[\w-]+\.so)(?:\.(\d+))?", name)
    if not match or not match.group(2):
        raise SystemExit(f"PEXILON_BUNDLE_LIBRARIES: {path}: not a versioned shared object")
    return f"{match.group(1)}.{match.group(2)}"


class build_py_with_libraries(build_py):
    def run(self):
        super().run()
        target = os.path.join(self.build_lib, "pexilon_config", "_lib")
        os.makedirs(target, exist_ok=True)
        for path in BUNDLE:
            shutil.copyfile(path, os.path.join(target, soname_of(path)))


class BinaryDistribution(Distribution):
    """A wheel that carries shared objects is tied to this platform."""

    def has_ext_modules(self):
        return bool(BUNDLE)


setup(cmdclass={"build_py": build_py_with_libraries}, distclass=BinaryDistribution)
