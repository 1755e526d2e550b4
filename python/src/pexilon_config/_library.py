"""Finding and loading the shared libraries.

Each library is looked for, in this order: the path the caller passed; the
path in its environment variable; a copy inside this package (put there when
the wheel was built with one); the system loader, by SONAME. A path given by
the caller or the environment is the only one tried: a wrong setting should
fail, not quietly fall back to another copy.
"""

from __future__ import annotations

import ctypes
import os
import threading
from typing import Dict, List, Optional, Tuple, Union

PathArg = Union[str, "os.PathLike[str]"]

PARSER_SONAME = "libpexilon_config_parser.so.1"
CHECK_SONAME = "libpexilon_config_check.so.1"
PARSER_ENV = "PEXILON_CONFIG_LIBRARY"
CHECK_ENV = "PEXILON_CHECK_LIBRARY"

_BUNDLE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "_lib")


class LibraryNotFoundError(OSError):
    """No usable copy of a library was found; the message lists each try."""


def _candidates(explicit: Optional[PathArg], env: str, soname: str) -> List[Tuple[str, str]]:
    """(how it was found, what to pass to dlopen) for each place to try."""
    if explicit is not None:
        return [("the path given", os.fspath(explicit))]
    from_env = os.environ.get(env)
    if from_env:
        return [(env, from_env)]
    tries = []
    bundled = os.path.join(_BUNDLE_DIR, soname)
    if os.path.exists(bundled):
        tries.append(("the copy in the package", bundled))
    tries.append(("the system loader", soname))
    return tries


def open_library(explicit: Optional[PathArg], env: str, soname: str) -> Tuple[ctypes.CDLL, str]:
    """Loads the first candidate that loads; returns it and its path."""
    failures = []
    for how, path in _candidates(explicit, env, soname):
        try:
            return ctypes.CDLL(path, use_errno=True), path
        except OSError as err:
            failures.append(f"  {how}: {path}: {err}")
    raise LibraryNotFoundError(
        f"cannot load {soname}; tried:\n" + "\n".join(failures) +
        f"\nset {env} to its path, or install it where the loader finds it")


# Loaded libraries by the path asked for, so that each is opened once.
_cache: Dict[Tuple[str, Optional[str]], Tuple[ctypes.CDLL, str]] = {}
_cache_lock = threading.Lock()


def cached_library(explicit: Optional[PathArg], env: str, soname: str) -> Tuple[ctypes.CDLL, str]:
    key = (soname, os.fspath(explicit) if explicit is not None else os.environ.get(env))
    with _cache_lock:
        if key not in _cache:
            _cache[key] = open_library(explicit, env, soname)
        return _cache[key]
