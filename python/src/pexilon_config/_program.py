"""The pexilon-config command of a wheel that carries the program: runs the
copy inside the package, with the arguments it was given."""

from __future__ import annotations

import os
import sys

PROGRAM = os.path.join(os.path.dirname(os.path.abspath(__file__)), "_bin", "pexilon-config")


def main() -> None:
    """Becomes the program: its output, its exit status, its signals."""
    if not os.access(PROGRAM, os.X_OK):
        sys.stderr.write(f"pexilon-config: this installation of pexilon_config carries no "
                         f"program ({PROGRAM}); install the pexilon-config package\n")
        sys.exit(2)
    os.execv(PROGRAM, [PROGRAM, *sys.argv[1:]])
