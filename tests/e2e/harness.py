"""What every end-to-end script shares: reporting a check with its evidence, waiting on a condition, a program
under test, a session of a user of the test's own (the user nobody), and the check that an action ends a saver."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

failures = 0
SKIPPED = 77  # the status that CTest reports as a skip (SKIP_RETURN_CODE)


def display_open():
    """Whether DISPLAY names an X display, and a local one has its socket."""
    display = os.environ.get("DISPLAY", "")
    if not display.startswith(":"):
        return display != ""
    return os.path.exists("/tmp/.X11-unix/X" + display[1:].split(".")[0])


def require(*tools, display=False, root=False, python=()):
    """Ends the script, saying in one line what is missing, when this machine lacks a tool on the PATH, an X
    display, root (to run programs as the user nobody) or what a statement of Debian's python3 imports: with the
    skip status, or as a failure where LUCENTA_E2E_REQUIRED is set (the README's test command installs all)."""
    missing = ["an X display (DISPLAY)"] if display and not display_open() else []
    missing += [tool for tool in tools if shutil.which(tool) is None]
    missing += ["root, to run programs as nobody"] if root and os.geteuid() != 0 else []
    missing += [f"Debian's python3 with: {statement}" for statement in python
                if not os.path.exists("/usr/bin/python3") or
                subprocess.run(["/usr/bin/python3", "-c", statement], capture_output=True).returncode != 0]
    if missing:
        print("SKIP: this test needs " + ", ".join(missing), flush=True)
        sys.exit(1 if os.environ.get("LUCENTA_E2E_REQUIRED") else SKIPPED)


def check(name, ok, detail=""):
    global failures
    print(("ok   " if ok else "FAIL ") + name + ("" if ok or not detail else ": " + str(detail)), flush=True)
    failures += 0 if ok else 1
    return ok


def summary():
    """Prints the outcome; the exit status for the test."""
    print("all passed" if failures == 0 else f"{failures} failed")
    return 1 if failures else 0


def wait_for(predicate, limit, interval=0.05):
    """Polls until predicate() is true or `limit` seconds have passed; returns its last value."""
    deadline = time.monotonic() + limit
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


class Program(subprocess.Popen):
    """A program under test. What it writes goes to a file, never to a pipe that could fill up and block it, so
    that a failing check can show what it said with its exit status (evidence())."""

    def __init__(self, command, **kwargs):
        self.log = tempfile.TemporaryFile()
        super().__init__(command, stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT, **kwargs)

    def output(self):
        if not self.log.closed:
            self.log.seek(0)
            self.said = self.log.read().decode(errors="replace")
        return self.said

    def evidence(self):
        status = self.poll()
        return f"{'still running' if status is None else f'status {status}'}, output {self.output()!r}"

    def stop(self):
        """Kills it when it is still running."""
        if self.poll() is None:
            self.kill()
        self.wait()
        self.output()
        self.log.close()


def ended(process, limit):
    """The exit status once the process has ended within `limit` seconds, else None."""
    try:
        return process.wait(timeout=limit)
    except subprocess.TimeoutExpired:
        return None


def copy_for_nobody(program, folder):
    """The program copied into `folder`, where the user nobody (who runs xscreensaver's daemon and sway in
    the tests) can run it: the build tree may lie in a folder that only its owner can enter."""
    copy = os.path.join(folder, os.path.basename(program))
    shutil.copy(program, copy)
    os.chmod(copy, 0o755)
    return copy


AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


class NobodySession:
    """A session of the test's own for the user nobody (a desktop runs its programs as its user, and xscreensaver
    and sway run none as root): a home and a runtime folder (XDG_RUNTIME_DIR, the user's alone) below `root`, and
    the environment of its programs, nothing of the test's own but what `env` adds."""

    def __init__(self, root, **env):
        self.root, self.home, self.runtime = root, os.path.join(root, "home"), os.path.join(root, "run")
        os.chmod(root, 0o755)
        for folder, mode in ((self.home, 0o755), (self.runtime, 0o700)):
            os.makedirs(folder)
            shutil.chown(folder, "nobody", "nogroup")
            os.chmod(folder, mode)
        self.env = {"PATH": "/usr/bin:/bin", "HOME": self.home, "XDG_RUNTIME_DIR": self.runtime,
                    "XDG_CONFIG_HOME": os.path.join(self.home, ".config"), **env}

    def command(self, *command, **extra):
        return AS_NOBODY + ["env", "-i", *(f"{k}={v}" for k, v in dict(self.env, **extra).items()), *command]

    def start(self, *command, **extra):
        return Program(self.command(*command, **extra), cwd=self.home)

    def run(self, *command, text=True, check=False, **extra):
        return subprocess.run(self.command(*command, **extra), capture_output=True, text=text, check=check,
                              timeout=60)


def ends_on(name, start, draws, action, harmless=(), within=1.0):
    """Starts a saver (start() gives it), checks that it draws (draws(process)), then that each of `harmless`
    (description, step) leaves it running, then that `action(process)` ends it with status 0 within `within`
    seconds (None: in its own time)."""
    process = start()
    try:
        if not check(f"{name}: the saver runs and draws", draws(process) and process.poll() is None,
                     process.evidence()):
            return
        for description, step in harmless:
            step()
            check(f"{name}: {description} does not end the saver", ended(process, 0.8) is None, process.evidence())
        action(process)
        acted = time.monotonic()
        status = ended(process, 5)
        elapsed = time.monotonic() - acted
        limit = "" if within is None else " within a second" if within == 1.0 else f" within {1000 * within:.0f} ms"
        check(f"{name} ends the saver with status 0{limit}", status == 0 and (within is None or elapsed < within),
              f"{process.evidence()} after {elapsed:.3f} s")
        print(f"     ({name} to exit: {elapsed:.3f} s)")
    finally:
        process.stop()
