#!/usr/bin/env python3
"""Plays a test run that is killed outright: a stand-in for CTest runs
`wine_prefix.py start`, then a wine program that waits for ever, and is
killed with SIGKILL. Fails unless, soon after, nothing of the prefix is
left: no server, no wine program, no folder in /tmp.

  check_wine_cleanup.py WINESERVER WINE...

WINEPREFIX names the prefix: the tests' own, once they are done with it,
so that it is made already and starts fast.
"""

import os
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from wine_prefix import leftovers, server_name, stop  # noqa: E402


def main():
    wineserver, *wine = sys.argv[1:]
    prefix = os.path.abspath(os.environ["WINEPREFIX"])
    os.environ.pop("TMPDIR", None)
    name = server_name(prefix)
    run = subprocess.Popen(  # CTest's part
        [sys.executable, "-c",
         "import subprocess, sys, time\n"
         "subprocess.run([sys.executable, *sys.argv[1:3], *sys.argv[3:]], check=True)\n"
         "subprocess.Popen([*sys.argv[4:], 'cmd', '/c', 'pause'], stdin=subprocess.PIPE)\n"
         "time.sleep(600)\n", os.path.join(HERE, "wine_prefix.py"), "start", wineserver, *wine])
    deadline = time.monotonic() + 60
    while not any(item.startswith("wine program") for item in leftovers(prefix, name)):
        if time.monotonic() > deadline or run.poll() is not None:
            print("check_wine_cleanup: the wine program never started")
            run.kill()
            stop(prefix, name)
            return 1
        time.sleep(0.2)
    run.send_signal(signal.SIGKILL)
    run.wait()
    deadline = time.monotonic() + 20
    while (left := leftovers(prefix, name)) and time.monotonic() < deadline:
        time.sleep(0.2)
    if left:
        print(f"check_wine_cleanup: left behind by the killed run: {left}")
        stop(prefix, name)  # this check leaves nothing behind either
        return 1
    print("check_wine_cleanup: the killed run left nothing of wine's")
    return 0


if __name__ == "__main__":
    sys.exit(main())
