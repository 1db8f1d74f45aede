#!/usr/bin/env python3
"""delay_import.py NM DLLTOOL IMPORT_LIB DLL_NAME OUT: writes OUT, a delay-load import
library for DLL_NAME with every function of the toolchain's IMPORT_LIB.

A program linked with it loads the DLL at the first call of one of its functions, which
the program makes only after it has limited the DLL search to the system folder.
"""

import re
import subprocess
import sys
from pathlib import Path

nm, dlltool, import_lib, dll_name, out = sys.argv[1:6]
out = Path(out)
symbols = subprocess.run([nm, "-g", import_lib], check=True, capture_output=True, text=True).stdout
# "I __imp__Name@8" (i686, with the leading underscore of C names) or "I __imp_Name" (x86_64).
underscore = "i686" in Path(nm).name or "i386" in Path(nm).name
names = set()
for match in re.finditer(r"^\S* ?I __imp_(\S+)$", symbols, re.MULTILINE):
    name = match.group(1)
    if underscore:
        if not name.startswith("_"):
            continue  # fastcall and other decorations: nothing we call
        name = name[1:]
    names.add(name)
out.parent.mkdir(parents=True, exist_ok=True)
definition = out.with_suffix(".def")
definition.write_text(f"LIBRARY {dll_name}\nEXPORTS\n" + "".join(f"  {n}\n" for n in sorted(names)))
partial = out.with_name(out.name + ".part")
subprocess.run([dlltool, "-k", "-d", str(definition), "-D", dll_name, "-y", str(partial)], check=True)
partial.replace(out)
