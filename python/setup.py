"""Build hook: the wheel carries the two shared libraries inside the package,
under their SONAMEs, where the package looks before asking the system loader.
PEXILON_BUNDLE_LIBRARIES says where the copies come from:

    unset or empty   built here with CMake, from the project's source (the
                     folder above this one, or the copy an sdist carries in
                     native/)
    none             no copy: a pure package that loads the system's
                     libraries by SONAME (the Debian package does this)
    PATH[:PATH...]   these shared objects, for example:

    PEXILON_BUNDLE_LIBRARIES=/usr/lib/x86_64-linux-gnu/libpexilon_config_parser.so.1 \\
        pip install --no-build-isolation ./python

A wheel built here with CMake also carries the pexilon-config program, which
it installs as a command of that name (a copy given in PEXILON_BUNDLE_LIBRARIES,
named pexilon-config, is carried the same way). A wheel that carries libraries
is tagged for this platform (py3-none-linux_x86_64).
"""

import os
import re
import shutil
import subprocess

from setuptools import setup
from setuptools.command.build_py import build_py
from setuptools.command.sdist import sdist
from setuptools.dist import Distribution

try:  # setuptools 70.1 took bdist_wheel over from wheel
    from setuptools.command.bdist_wheel import bdist_wheel
except ImportError:
    from wheel.bdist_wheel import bdist_wheel

HERE = os.path.dirname(os.path.abspath(__file__))
SETTING = os.environ.get("PEXILON_BUNDLE_LIBRARIES", "")
BUNDLE = SETTING != "none"
GIVEN = [p for p in SETTING.split(":") if p] if BUNDLE else []

# What CMake needs to build the two libraries and the program, copied into an
# sdist's native/.
NATIVE_SOURCES = ["CMakeLists.txt", "CMakePresets.json", "LICENSE", "cmake", "include", "src", "tools", "doc"]
LIBRARY_TARGETS = ["pexilon_config_parser", "pexilon_config_check"]
PROGRAM_TARGET, PROGRAM = "pexilon_config", "pexilon-config"


def soname_of(path):
    """libfoo.so, libfoo.so.1 and libfoo.so.1.0.0 are all installed as libfoo.so.1."""
    name = os.path.basename(os.path.realpath(path))
    match = re.match(r"(lib[\w-]+\.so)(?:\.(\d+))?", name)
    if not match or not match.group(2):
        raise SystemExit(f"PEXILON_BUNDLE_LIBRARIES: {path}: not a versioned shared object")
    return f"{match.group(1)}.{match.group(2)}"


def native_source():
    """The project's source: an sdist's copy, else the checkout this folder is in."""
    for folder in (os.path.join(HERE, "native"), os.path.dirname(HERE)):
        if os.path.isfile(os.path.join(folder, "CMakeLists.txt")):
            return folder
    raise SystemExit("no CMakeLists.txt of the libraries in native/ or in the folder above; "
                     "set PEXILON_BUNDLE_LIBRARIES to the shared objects, or to none")


def build_with_cmake(build_dir):
    """Builds the two libraries and the program (no tests) and returns their paths."""
    configure = ["cmake", "-S", native_source(), "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                 "-DPEXILON_BUILD_TESTS=OFF", "-DPEXILON_BUILD_TOOLS=ON",
                 "-DPEXILON_BUILD_BENCH=OFF", "-DPEXILON_WERROR=OFF"]
    build = ["cmake", "--build", build_dir, "--target", *LIBRARY_TARGETS, PROGRAM_TARGET]
    if "CMAKE_BUILD_PARALLEL_LEVEL" not in os.environ:
        build += ["--parallel", str(os.cpu_count() or 1)]
    for command in (configure, build):
        subprocess.run(command, check=True)
    wanted = re.compile(r"lib(%s)\.so\.\d+$" % "|".join(LIBRARY_TARGETS))
    found = sorted(os.path.join(root, name) for root, _, names in os.walk(build_dir)
                   for name in names if wanted.match(name))
    if len(found) != len(LIBRARY_TARGETS):
        raise SystemExit(f"CMake built {found}, not one of each of {LIBRARY_TARGETS}")
    program = os.path.join(build_dir, "tools", PROGRAM)
    if not os.access(program, os.X_OK):
        raise SystemExit(f"CMake built no {program}")
    return found + [program]


class build_py_with_libraries(build_py):
    def run(self):
        super().run()
        if not BUNDLE:
            return
        libraries = GIVEN or build_with_cmake(os.path.join(HERE, "build", "cmake"))
        target = os.path.join(self.build_lib, "pexilon_config", "_lib")
        os.makedirs(target, exist_ok=True)
        for path in libraries:
            if os.path.basename(path) == PROGRAM:
                os.makedirs(os.path.join(self.build_lib, "pexilon_config", "_bin"), exist_ok=True)
                copy = os.path.join(self.build_lib, "pexilon_config", "_bin", PROGRAM)
                shutil.copyfile(path, copy)
                os.chmod(copy, 0o755)
            else:
                shutil.copyfile(path, os.path.join(target, soname_of(path)))


class sdist_with_native_sources(sdist):
    """The sdist carries the libraries' sources, so that its build runs CMake."""

    def make_release_tree(self, base_dir, files):
        super().make_release_tree(base_dir, files)
        project = os.path.dirname(HERE)
        for name in NATIVE_SOURCES:
            source = os.path.join(project, name)
            copy = os.path.join(base_dir, "native", name)
            if os.path.isdir(source):
                shutil.copytree(source, copy)
            else:
                os.makedirs(os.path.dirname(copy), exist_ok=True)
                shutil.copyfile(source, copy)


class bdist_wheel_any_python(bdist_wheel):
    """The libraries tie the wheel to a platform; the Python code, over ctypes, to none."""

    def get_tag(self):
        python, abi, platform = super().get_tag()
        return ("py3", "none", platform) if BUNDLE else (python, abi, platform)


class BinaryDistribution(Distribution):
    """A wheel that carries shared objects is tied to this platform."""

    def has_ext_modules(self):
        return BUNDLE


# The command exists only where the program travels with the package: the
# Debian package leaves /usr/bin/pexilon-config to the program's own package.
CARRIES_PROGRAM = BUNDLE and (not GIVEN or any(os.path.basename(p) == PROGRAM for p in GIVEN))
setup(cmdclass={"build_py": build_py_with_libraries, "sdist": sdist_with_native_sources,
                "bdist_wheel": bdist_wheel_any_python},
      distclass=BinaryDistribution,
      entry_points={"console_scripts": [f"{PROGRAM} = pexilon_config._program:main"]
                    if CARRIES_PROGRAM else []})
