"""What the end-to-end tests of the real savers share: reporting, waiting, reading the X screen,
and the picture that the saver must show, computed from Colours.log and lucenta-notation."""
import os
import shutil
import subprocess
import tempfile
import time

failures = 0


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


def screenshot(env=None, window="root"):
    """The window's pixels (the whole screen by default) as RGB bytes, three a pixel, row after row."""
    return subprocess.run(["import", "-window", window, "-depth", "8", "rgb:-"], capture_output=True, check=True,
                          env=env).stdout


def row_of(picture, width, y):
    return picture[y * width * 3:(y + 1) * width * 3]


def palette_of(log_path, width):
    """Each column's colour as Colours.log gives it."""
    with open(log_path, encoding="ascii", newline="") as log:
        lines = log.read().split("\r\n")[2:2 + width]
    return [tuple(int(f) for f in line.split(",")[6:9]) for line in lines]


def rendered_colours_log(render, folder, width, height, *options):
    """Colours.log of the picture that lucenta-render draws `width` bells wide with those options, written into
    `folder`, which also holds the renderer's own settings."""
    os.makedirs(folder, exist_ok=True)
    subprocess.run([render, "--width", str(width), "--height", str(height), "--rows", "1", "--out",
                    os.path.join(folder, "x.png"), *options], cwd=folder, env=dict(os.environ, XDG_CONFIG_HOME=folder),
                   check=True, capture_output=True)
    return os.path.join(folder, "Colours.log")


def rows_rung(notation, method, width, count):
    """Rows 1..count of the method on `width` bells, as lucenta-notation rings them."""
    out = subprocess.run([notation, str(method), str(width), "--rows", str(count)], capture_output=True, text=True,
                         check=True).stdout
    return [[int(b) for b in line.split()] for line in out.splitlines()]


def painted(palette, row, treble=True):
    """The row's pixels as RGB bytes: each bell's colour, the treble black when it is shown."""
    return b"".join(bytes((0, 0, 0) if bell == 1 and treble else palette[bell - 1]) for bell in row)


class Picture:
    """The rows the saver must draw on `width` bells with the palette of `log_path` (by default Plain Hunt, whose
    rows repeat every 2n, with the treble shown), and where a screenshot stands among them. For another method
    the first `period` rows are known."""

    def __init__(self, notation, log_path, width, height, method=1, treble=True, period=None):
        self.width, self.height, self.period = width, height, period or 2 * width
        palette = palette_of(log_path, width)
        self.rows = [painted(palette, row, treble) for row in rows_rung(notation, method, width, self.period)]
        self.step_of = {}
        for k, row in enumerate(self.rows, start=1):
            self.step_of.setdefault(row, k)

    def steps_shown(self, shot, rows_above=5):
        """k when the shot shows rows 1..k climbing: the row above the bottom is row k, the newest complete
        one; each row above it (`rows_above` of them) the one before; the bottom row row k again (the scroll
        keeps its pixels) or row k + 1 (put there before the scroll)."""
        width, height = self.width, self.height
        k = self.step_of.get(row_of(shot, width, height - 2))
        if not k:
            return None
        above = all(row_of(shot, width, height - 2 - j) == self.rows[(k - 1 - j) % self.period]
                    for j in range(1, rows_above + 1))
        bottom = row_of(shot, width, height - 1) in (self.rows[k - 1], self.rows[k % self.period])
        return k if above and bottom else None

    def rate(self, take_shot, seconds):
        """Rows per second seen on the screen over `seconds`, from the rows shown at its start and end."""
        def sample():
            before = time.monotonic()
            k = self.steps_shown(take_shot())
            return k, (before + time.monotonic()) / 2
        (k1, t1), _, (k2, t2) = sample(), time.sleep(seconds), sample()
        return (k2 - k1) % self.period / (t2 - t1) if k1 and k2 else None


def copy_for_nobody(program, folder):
    """The program copied into `folder`, where the user nobody (who runs xscreensaver's daemon and sway in
    the tests) can run it: the build tree may lie in a folder that only its owner can enter."""
    copy = os.path.join(folder, os.path.basename(program))
    shutil.copy(program, copy)
    os.chmod(copy, 0o755)
    return copy


def ends_within_a_second(name, process, action, harmless=(), within=1.0):
    """Checks that each of `harmless` (description, step) leaves the running saver running, then that
    `action` ends it with status 0 within a second (or `within` seconds)."""
    for description, step in harmless:
        step()
        check(f"{name}: {description} does not end the saver", ended(process, 0.8) is None, process.evidence())
    action()
    acted = time.monotonic()
    status = ended(process, 5)
    elapsed = time.monotonic() - acted
    limit = "a second" if within == 1.0 else f"{1000 * within:.0f} ms"
    check(f"{name} ends the saver with status 0 within {limit}", status == 0 and elapsed < within,
          f"{process.evidence()} after {elapsed:.3f} s")
    print(f"     ({name} to exit: {elapsed:.3f} s)")
