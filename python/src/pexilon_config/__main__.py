"""python -m pexilon_config: the pexilon-config program's commands."""

import sys

from ._cli import main

sys.exit(main(sys.argv[1:]))
