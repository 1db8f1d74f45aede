"""Runs a test program under Wine with its output in a file, printed when the program ends.
Programs that it starts (installers, the Shell's helpers) may outlive it holding its inherited
output; they must not keep the test runner waiting for the end of that output."""
import os
import subprocess
import sys
import tempfile

with tempfile.TemporaryFile() as output:
    code = subprocess.call([os.environ.get("KELVARA_WINE", "wine")] + sys.argv[1:],
                           stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.STDOUT)
    output.seek(0)
    sys.stdout.buffer.write(output.read())
sys.exit(code)
