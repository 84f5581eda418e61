"""What the benchmarks of the real saver share: counting the rows seen on the screen, and the CPU time of
processes.

The rows are counted from the treble: with the default settings (Plain Hunt, treble shown black), its
positions in the two newest complete rows say how many changes have been rung, modulo the method's period of
2n changes; samples taken often enough add up the changes between them."""
import os


def plain_hunt_steps(n):
    """{(treble's column after change k - 1, after change k): k mod 2n} for Plain Hunt on n bells."""
    def apply(pos, first_pair_start):
        if pos < first_pair_start:
            return pos
        partner = pos + 1 if (pos - first_pair_start) % 2 == 0 else pos - 1
        return partner if partner < n else pos
    steps, pos = {}, 0
    for k in range(1, 2 * n + 1):
        after = apply(pos, 0 if k % 2 == 1 else 1)  # changes alternate: cross, then place 1
        steps[(pos, after)] = k % (2 * n)
        pos = after
    return steps


class RowCounter:
    """Adds up the changes between samples of the treble's two newest positions on n bells."""

    def __init__(self, n):
        self.steps, self.period = plain_hunt_steps(n), 2 * n
        self.total, self.last, self.began, self.ended, self.widest = 0, None, None, None, 0

    def sample(self, older, newer, now):
        step = self.steps.get((older, newer))
        if step is None:
            return
        if self.last is None:
            self.began = now
        else:
            gap = (step - self.last) % self.period
            self.total += gap
            self.widest = max(self.widest, gap)
        self.last, self.ended = step, now

    def rate(self):
        """Rows per second between the first sample and the last."""
        return self.total / (self.ended - self.began) if self.ended and self.ended > self.began else 0.0

    def ambiguous(self):
        """Whether the samples were so far apart that a whole period may have passed between two."""
        return self.widest > self.period // 2


def cpu_seconds(pid):
    """utime + stime of the process so far."""
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
