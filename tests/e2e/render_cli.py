#!/usr/bin/env python3
"""Drives lucenta-render as a user would and checks its picture against the other tools:
the bottom pixel row must be the colours of Colours.log permuted as lucenta-notation rings them."""
import os
import stat
import subprocess
import sys
import tempfile

from harness import check, require, summary

require("convert")
render, notation = sys.argv[1], sys.argv[2]


def run(args, cwd, env):
    return subprocess.run(args, cwd=cwd, env=env, capture_output=True, text=True)


def pixels(path, width):
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]


with tempfile.TemporaryDirectory() as work:
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    width, height, rows = 40, 30, 137

    result = run([render, "--width", str(width), "--height", str(height), "--rows", str(rows), "--out", "x.png",
                  "--method", "7"], work, env)
    check("renders", result.returncode == 0 and os.path.exists(os.path.join(work, "x.png")), result.stderr)

    with open(os.path.join(work, "Colours.log"), encoding="ascii", newline="") as log:
        lines = log.read().split("\r\n")
    check("log has a line per column", len(lines) == width + 3 and lines[1] == "" and lines[-1] == "", str(len(lines)))
    palette = [tuple(int(f) for f in line.split(",")[6:9]) for line in lines[2:2 + width]]

    ringing = run([notation, "7", str(width), "--rows", str(rows)], work, env).stdout.splitlines()
    last = [int(bell) for bell in ringing[-1].split()]
    expected = [(0, 0, 0) if bell == 1 else palette[bell - 1] for bell in last]
    picture = pixels(os.path.join(work, "x.png"), width)
    check("picture is W x H", len(picture) == width * height, str(len(picture)))
    check("bottom row is the palette as rung", picture[-width:] == expected)
    previous = [int(bell) for bell in ringing[-2].split()]
    # The scroll keeps the bottom row's pixels, so the newest row shows twice at the bottom.
    check("the newest row also stands above the bottom", picture[-2 * width:-width] == expected)
    check("above it, the row of the change before",
          picture[-3 * width:-2 * width] == [(0, 0, 0) if b == 1 else palette[b - 1] for b in previous])

    result = run([render, "--width", str(width), "--height", str(height), "--rows", "10", "--out", "short.png"],
                 work, env)
    short = pixels(os.path.join(work, "short.png"), width)
    check("rows not yet drawn show the background",
          short[:(height - 11) * width] == [(0, 0, 0)] * ((height - 11) * width) and
          short[(height - 11) * width:(height - 10) * width] != [(0, 0, 0)] * width)

    with open(os.path.join(work, "config", "lucenta", "registry.reg"), encoding="utf-8") as reg:
        stored = reg.read()
    check("first run stored the defaults, not the overrides",
          '"Method"="0"' in stored and '"Bottom"="440.000000"' in stored, stored)

    result = run([render, "--width", "8", "--height", "4", "--rows", "0", "--out", "white.png", "--background", "white"],
                 work, env)
    check("background override", result.returncode == 0 and
          pixels(os.path.join(work, "white.png"), 8) == [(255, 255, 255)] * 32)

    # The options of a run are the option grammar's table; here the renderer's own, and an old form.
    for args in (["--width", "-5"], ["--width", "abc"], ["--height", "0"], ["--rows", "x"], ["--treble", "1"]):
        full = ["--width", "10", "--height", "10", "--rows", "5", "--out", "bad.png"] + args
        result = run([render] + full, work, env)
        check("refuses " + " ".join(args) + ", with a line and the usage",
              result.returncode == 2 and result.stdout == "" and result.stderr.count("\n") == 2 and
              result.stderr.splitlines()[1].startswith("usage: lucenta-render ") and
              not os.path.exists(os.path.join(work, "bad.png")), f"{result.returncode} {result.stderr!r}")
    result = run([render, "--width", "10", "--height", "10", "--rows", "5"], work, env)
    check("refuses a missing --out", result.returncode == 2)
    for program in (render, notation):
        name = os.path.basename(program)
        answers = [run([program, word], work, env) for word in ("--help", "--version")]
        check(f"{name} answers --help with its usage and --version, with status 0",
              [a.returncode for a in answers] == [0, 0] and answers[0].stdout.startswith(f"usage: {name} ") and
              "--version" in answers[0].stdout and answers[1].stdout.startswith(f"{name} 1."), answers)
    refused = os.path.join(work, "refused")
    os.makedirs(refused)
    result = run([render, "--width", "10", "--height", "10", "--rows", "5", "--out", "b.png", "--bottom", "0",
                  "--method", "7"], refused, env)
    check("--bottom 0 is refused by name and writes no Colours.log",
          result.returncode == 2 and "--bottom" in result.stderr and os.listdir(refused) == [], result.stderr)

    reg = os.path.join(work, "config", "lucenta", "registry.reg")
    config_key = "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n"
    wavelength_key = "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Wavelength]\n"
    stored = ('"Method"="3"\n"Show Treble"="0"\n"Background"="1"\n',
              '"Bottom"="1e400"\n"Top"="640.000000"\n"Intensity"="1.000000"\n')
    with open(reg, "w", encoding="utf-8") as out:
        out.write("Windows Registry Editor Version 5.00\n\n" + config_key + stored[0] + "\n" + wavelength_key + stored[1])
    run([render, "--width", "8", "--height", "4", "--rows", "3", "--out", "huge.png"], work, env)
    with open(reg, encoding="utf-8") as kept:
        text = kept.read()
    check("a bottom beyond the number range counts as positive: all six settings stay",
          stored[0] in text and stored[1] in text, text)

    damaged = ("Windows Registry Editor Version 5.00\n\n" + config_key +
               '"Method"="6"\n"Note"="C:\\Temp"\n"Show Treble"="0"\n')
    with open(reg, "w", encoding="utf-8") as out:
        out.write(damaged)
    result = run([render, "--width", "8", "--height", "4", "--rows", "3", "--out", "damaged.png"], work, env)
    with open(reg, encoding="utf-8") as kept:
        text = kept.read()
    asides = [name for name in os.listdir(os.path.dirname(reg)) if name.startswith("registry.reg.unreadable-")]
    aside_text = open(os.path.join(os.path.dirname(reg), asides[0]), encoding="utf-8").read() if asides else None
    check("a settings file with a bad line keeps every other value and the original beside it",
          '"Method"="6"' in text and '"Show Treble"="0"' in text and aside_text == damaged and
          "registry.reg:5:" in result.stderr, result.stderr)

    def tiny_full_disk(folder):
        """A hard-linked file with old text on a tmpfs with no room left (where root may mount one)."""
        if os.geteuid() != 0 or subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder]).returncode:
            return None
        with open(os.path.join(folder, "old.png"), "w") as old:
            old.write("old")
        os.link(os.path.join(folder, "old.png"), os.path.join(folder, "second name"))
        with open(os.path.join(folder, "filler"), "wb") as filler:
            try:
                filler.write(bytes(1 << 20))
            except OSError:
                pass
        return "old.png"

    odd = os.path.join(work, "odd")
    os.makedirs(odd)
    os.mkfifo(os.path.join(odd, "fifo"))
    with open(os.path.join(odd, "target.png"), "w") as target:
        target.write("old")
    os.symlink("target.png", os.path.join(odd, "link.png"))
    os.symlink(os.path.join(odd, "victim"), os.path.join(odd, "x.png.tmp"))
    full = os.path.join(work, "full")
    os.makedirs(full)
    read = lambda name: open(os.path.join(odd, name), "rb").read()
    for what, out, status, kept in (
            ("a FIFO is refused and stays a FIFO", "fifo", 1, lambda: stat.S_ISFIFO(os.lstat(os.path.join(odd, "fifo")).st_mode)),
            ("a device is refused and left alone", "/dev/null", 1, lambda: stat.S_ISCHR(os.stat("/dev/null").st_mode)),
            ("a folder is refused", ".", 1, lambda: True),
            ("a link's target is written and the link stays one", "link.png", 0,
             lambda: os.path.islink(os.path.join(odd, "link.png")) and read("target.png").startswith(b"\x89PNG")),
            ("a link planted where a temporary name once was is not followed", "x.png", 0,
             lambda: not os.path.exists(os.path.join(odd, "victim")) and os.path.islink(os.path.join(odd, "x.png.tmp")))):
        result = run([render, "--width", "8", "--height", "4", "--rows", "3", "--out", out], odd, env)
        check(what, result.returncode == status and result.stderr.count("\n") == status and kept(),
              f"{result.returncode} {result.stderr!r}")
    name = tiny_full_disk(full)
    if name:
        try:
            # A picture of some 100 kB, which has no room there.
            result = run([render, "--width", "256", "--height", "256", "--rows", "300", "--out", name], full, env)
            texts = {open(os.path.join(full, n), "rb").read() for n in ("old.png", "second name")}
            check("a hard-linked file on a full disk is refused with one line and keeps its old text",
                  result.returncode == 1 and "No space left" in result.stderr and texts == {b"old"},
                  f"{result.returncode} {result.stderr!r} {texts}")
        finally:
            subprocess.run(["umount", full])

# The icons that the tree keeps are the renderer's picture, as scripts/icons.sh draws it.
source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
with tempfile.TemporaryDirectory() as drawn:
    subprocess.run([os.path.join(source, "scripts", "icons.sh"), render, drawn], check=True, capture_output=True)
    kept = os.path.join(source, "resources", "linux", "icons")
    differ = [name for name in sorted(os.listdir(kept))
              if pixels(os.path.join(kept, name), 0) != pixels(os.path.join(drawn, name), 0)]
    check("the icons kept in resources/linux/icons are what the renderer draws (scripts/icons.sh draws them anew)",
          not differ and os.listdir(kept), differ)

sys.exit(summary())
