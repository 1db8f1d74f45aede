#!/usr/bin/env python3
"""deflate.py IN OUT: writes IN as one zlib stream (best compression) to OUT.

The build stores the locale documents this way; the program inflates them when loading.
"""

import sys
import zlib
from pathlib import Path

source, target = Path(sys.argv[1]), Path(sys.argv[2])
target.parent.mkdir(parents=True, exist_ok=True)
data = zlib.compress(source.read_bytes(), 9)
# Written to a side file first, so an interrupted build never leaves half a stream behind.
partial = target.with_name(target.name + ".part")
partial.write_bytes(data)
partial.replace(target)
