#!/usr/bin/env python3
"""The one wineserver that the Windows tests share, and what makes sure that
nothing of it outlives the test run, however the run ends: no server, no
wine program, no folder in /tmp.

  wine_prefix.py start WINESERVER WINE... (windows.wine_start)
  wine_prefix.py stop                    (windows.wine_stop; also by hand)
  wine_prefix.py check                   what is left, without stopping it

`stop` and `check` say what of the prefix is left, if anything, and then
exit 1.

WINEPREFIX names the prefix. A server works in a folder named after the
prefix's device and inode, server-DEV-INO: Debian's wine keeps it in
/tmp/wine-XXXXXX (and names that in the prefix's `wineserver` file),
upstream wine in /tmp/.wine-UID. No wine release removes it. Everything here
is found from the prefix itself, by that name and by the WINEPREFIX in a
process's environment. Nothing here runs `wineserver -k` or `-w`: with no
server running, each of them starts one, in a new folder.

`start` leaves a watcher behind, in a session of its own. Once the process
that ran `start` (CTest) has gone, killed or not, the watcher ends what the
run left running, its orphaned tests included, and removes the folders. A
later `start` on the same prefix waits for it first.
"""

import glob
import os
import shutil
import signal
import subprocess
import sys
import time


# Where wine keeps its folders: it runs without TMPDIR here (main).
TMP = "/tmp"


def server_name(prefix):
    st = os.stat(prefix)
    return f"server-{st.st_dev:x}-{st.st_ino:x}"


def read(pid, what):
    try:
        if what in ("cwd", "exe"):
            return os.readlink(f"/proc/{pid}/{what}")
        with open(f"/proc/{pid}/{what}", "rb") as f:
            return f.read()
    except OSError:  # gone, a zombie, or not ours
        return None


def stat(pid):
    """The fields of /proc/PID/stat after the command's name; [] if it is gone."""
    fields = read(pid, "stat")
    return fields.rsplit(b")", 1)[1].split() if fields else []


def started(pid):
    """When `pid` started, in clock ticks since boot; None if it is gone."""
    fields = stat(pid)
    return int(fields[19]) if fields and fields[0] != b"Z" else None


def parent(pid):
    fields = stat(pid)
    return int(fields[1]) if fields else 0


def pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit() and int(p) != os.getpid()]


def servers(name):
    """The live servers working in a folder called `name` in the temporary folder."""
    return [p for p in pids()
            if (cwd := read(p, "cwd")) and os.path.basename(cwd) == name
            and os.path.dirname(os.path.dirname(cwd)) == TMP]


def of_prefix(pid, prefix):
    environ = read(pid, "environ")
    return environ is not None and f"WINEPREFIX={prefix}".encode() in environ.split(b"\0")


def left_of_run(pid, prefix, reaper):
    """Whether `pid` is what a run that has gone left behind: it and every
    ancestor up to the process that adopted the run's orphans carry the
    prefix. Whatever a live process started (a later run, a shell) does not,
    nor does anything of its own that a process started with the prefix."""
    while pid != reaper:
        if pid <= 1 or not of_prefix(pid, prefix):
            return False
        pid = parent(pid)
    return True


def wine_programs(prefix):
    """The live wine programs (servers included) that run in the prefix."""
    return [p for p in pids() if (exe := read(p, "exe")) and
            os.path.basename(exe).startswith("wine") and of_prefix(p, prefix)]


def send(signals):
    for pid, sig in signals:
        try:
            os.kill(pid, sig)
        except OSError:  # gone meanwhile
            pass


def gone(victims, name, seconds):
    """Whether `victims` and the servers have all gone within `seconds`."""
    deadline = time.monotonic() + seconds
    while any(started(p) is not None for p in victims) or servers(name):
        if time.monotonic() > deadline:
            return False
        time.sleep(0.1)
    return True


def end(victims, name, grace):
    """Ends `victims` and the prefix's servers: SIGINT for a server, on which
    it ends its programs, and SIGTERM for the rest (a test that CTest started
    may ignore SIGINT), on which they clean up after themselves; SIGKILL for
    whatever is left after `grace` s."""
    send([(p, signal.SIGINT) for p in servers(name)] + [(p, signal.SIGTERM) for p in victims])
    if not gone(victims, name, grace):
        send([(p, signal.SIGKILL) for p in victims + servers(name)])
        gone(victims, name, 2)


def folders(name):
    """The folders of servers called `name`, Debian's and upstream's."""
    return (glob.glob(os.path.join(TMP, "wine-*", name))
            + glob.glob(os.path.join(TMP, f".wine-{os.getuid()}", name)))


def remove_folders(prefix, name):
    """Removes every folder of a server called `name` that nothing works in,
    then the record of it in the prefix."""
    in_use = {read(p, "cwd") for p in servers(name)}
    for folder in folders(name):
        if folder not in in_use:
            shutil.rmtree(folder, ignore_errors=True)
            try:
                os.rmdir(os.path.dirname(folder))  # only if nothing else is in it
            except OSError:
                pass
    record = os.path.join(prefix, "wineserver")
    try:
        with open(record, encoding="ascii") as f:
            kept = f.read().strip()
        if not os.path.isdir(os.path.join(TMP, kept)):
            os.remove(record)
    except OSError:
        pass


def stop(prefix, name):
    """Ends the prefix's servers, and its wine programs with them."""
    end(wine_programs(prefix), name, grace=10)
    remove_folders(prefix, name)


def leftovers(prefix, name):
    """What the prefix still has: its servers, its wine programs, its folders."""
    left = [f"wineserver {p}" for p in servers(name)]
    left += [f"wine program {p}" for p in wine_programs(prefix)]
    return sorted(set(left + folders(name)))


def watchers(prefix):
    """Where each watcher of the prefix notes its run, in a file of its own."""
    return os.path.join(prefix, ".fire_stats-watchers")


def is_watcher(pid):
    return b"wine_prefix.py\0watch" in (read(pid, "cmdline") or b"")


def wait_for_watchers(prefix):
    """Waits (a minute at most) for the watchers of runs that have ended to
    finish their work."""
    deadline = time.monotonic() + 60
    for note in glob.glob(os.path.join(watchers(prefix), "*")):
        try:
            with open(note, encoding="ascii") as f:
                run, run_started = map(int, f.read().split())
        except (OSError, ValueError):
            continue
        pid = int(os.path.basename(note))
        while started(run) != run_started and is_watcher(pid):
            if time.monotonic() > deadline:
                print(f"wine_prefix: the watcher of an earlier run ({pid}) is still there")
                return
            time.sleep(0.2)
        if not is_watcher(pid):  # one that was killed leaves its note
            try:
                os.remove(note)
            except FileNotFoundError:  # it has just gone, and taken it
                pass


def start(prefix, wineserver, *wine):
    run = os.getppid()  # CTest, while it lasts
    run_started = started(run)
    if run == 1 or run_started is None:
        return 1  # the run has gone already
    os.makedirs(prefix, exist_ok=True)
    wait_for_watchers(prefix)
    stop(prefix, server_name(prefix))  # what an earlier run left, should it have had no watcher
    # Wine counts a prefix as made once it has begun to make it: one that a
    # killed run left half made would fail every run after it.
    ready = os.path.join(prefix, ".fire_stats-ready")
    if not os.path.exists(ready):
        shutil.rmtree(prefix)
        os.makedirs(prefix)
    name = server_name(prefix)
    watcher = subprocess.Popen(
        [sys.executable, __file__, "watch", prefix, name, str(run), str(run_started)],
        start_new_session=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    os.makedirs(watchers(prefix), exist_ok=True)
    with open(os.path.join(watchers(prefix), str(watcher.pid)), "w", encoding="ascii") as f:
        f.write(f"{run} {run_started}")
    # Up for 30 s after its last program, so that each test starts fast.
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": subprocess.DEVNULL}
    if subprocess.run([wineserver, "-p30"], check=False, **quiet).returncode:
        return 1
    # Makes the prefix the first time, which takes a few seconds. A prefix
    # that could not be made fails this, and every test that needs wine.
    status = subprocess.run([*wine, "cmd", "/c", "exit"], check=False, **quiet).returncode
    if status == 0:
        open(ready, "w", encoding="ascii").close()
    return status


def watch(prefix, name, run, run_started):
    """Once the run has gone, ends what it left that carries the prefix (its
    tests, wine programs and servers), then removes the folders."""
    while started(run) == run_started:
        time.sleep(0.5)
    for _ in range(5):  # an orphaned test may have started one more program
        # What adopted this watcher adopted the run's orphans; until `start`
        # has ended, which it has unless the run was stopped early, that is
        # `start`, the run's too.
        reaper = os.getppid()
        if b"wine_prefix.py\0start" in (read(reaper, "cmdline") or b""):
            end([reaper], name, grace=3)
            continue
        victims = [p for p in pids() if (started(p) or 0) >= run_started
                   and left_of_run(p, prefix, reaper)]
        if not victims and not servers(name):
            break
        end(victims, name, grace=3)
    remove_folders(prefix, name)
    try:
        os.remove(os.path.join(watchers(prefix), str(os.getpid())))
    except OSError:
        pass
    return 0


def main():
    # Debian 13's wine aborts when TMPDIR names any folder but /tmp.
    os.environ.pop("TMPDIR", None)
    command, args = sys.argv[1], sys.argv[2:]
    if command == "watch":
        prefix, name, run, run_started = args
        return watch(prefix, name, int(run), int(run_started))
    prefix = os.path.abspath(os.environ["WINEPREFIX"])
    if command == "start":
        return start(prefix, *args)
    if not os.path.isdir(prefix):
        return 0
    name = server_name(prefix)
    if command == "stop":
        stop(prefix, name)
    left = leftovers(prefix, name)
    for item in left:
        print(f"wine_prefix: left behind: {item}")
    return 1 if left else 0


if __name__ == "__main__":
    sys.exit(main())
