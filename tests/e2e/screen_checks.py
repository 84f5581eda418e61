"""What the end-to-end tests of the real savers share about the screen: reading the X screen, and the picture
that the saver must show, computed from Colours.log and lucenta-notation."""
import os
import subprocess
import time

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
