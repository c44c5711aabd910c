#!/usr/bin/python3
"""Judges the gallery that gallery.py made: what no person would accept on the screen.
  - a window's frame, title bar included, or a control that reaches past the screen or past
    its window;
  - a table cell painted black in a light window, or whose text has its background's colour
    (a strongly coloured status block needs no visible text);
  - an area left unpainted: a solid black block inside a window, a window or a report page of
    one colour only;
  - a window or state that could not be taken at all.
Usage: check_gallery.py GALLERY_FOLDER"""

import json
import os
import re
import subprocess
import sys

from pictures import dominant, luminance, read_png

# Every state the gallery must hold in each language.
STATES = ["main-connected", "message-box", "help", "about", "output-settings",
          "level-correction", "exchange-log", "settings-apply", "tank-offer", "tank-table",
          "report-form", "report-saved", "command-waiting", "command-failed", "main-link-lost",
          "monitor", "report-page"]
# The smallest black block taken for an unpainted area: larger than any line, frame or
# text stroke, smaller than any box or control.
BLOCK = 40
DARK = 40        # every channel below this is black to the eye on a light window
LIGHT = 128      # a window whose most common colour is brighter than this is light
TEXT_DELTA = 60  # a text pixel differs from its cell's background at least this much
SIGNAL = 60      # channels this far apart make a colour a signal, not a background


def _name(shot):
    return f"'{shot['title']}' ({shot['state']}, {shot['lang']})"


def _inside(box, outer, slack=1):
    x, y, w, h = box
    ox, oy, ow, oh = outer
    return x >= ox - slack and y >= oy - slack and x + w <= ox + ow + slack and \
        y + h <= oy + oh + slack


def placement_problems(shot, screen):
    problems = []
    frame = shot["frame"]
    if not _inside(frame, [0, 0, screen[0], screen[1]], slack=0):
        where = " (its title bar off the screen, so it cannot be moved)" if frame[1] < 0 else ""
        problems.append(f"{_name(shot)}: its frame at {frame[0]},{frame[1]} size "
                        f"{frame[2]}x{frame[3]} reaches past the {screen[0]}x{screen[1]} "
                        f"screen{where}")
    for w in shot["widgets"] + shot.get("live", []):
        box = w["box"]
        if box[2] <= 0 or box[3] <= 0:
            continue
        if not _inside(box, shot["client"]):
            problems.append(f"{_name(shot)}: the {w['role']} '{w['name']}' at {box} reaches "
                            f"past its window {shot['client']}")
    return problems


def _relative(box, shown):
    return [box[0] - shown[0], box[1] - shown[1], box[2], box[3]]


def _distance(a, b):
    return max(abs(a[0] - b[0]), abs(a[1] - b[1]), abs(a[2] - b[2]))


def _signal(colour):
    """A strongly coloured cell is a status block (green for heard, red for missing): its
    colour is what it says, and a text beneath it need not show."""
    return max(colour) - min(colour) >= SIGNAL


def cell_problems(shot, picture, light):
    problems = []
    for w in shot["widgets"]:
        if w["role"] != "table-cell":
            continue
        x, y, width, height = _relative(w["box"], shot["shown"])
        if width < 8 or height < 8:
            continue
        colours = picture.region([x + 2, y + 2, width - 4, height - 4])
        if not colours:
            continue
        background, _ = dominant(colours)
        if light and max(background) < DARK:
            problems.append(f"{_name(shot)}: the cell '{w['name']}' at {w['box']} is painted "
                            f"black {background} in a light window")
        elif w["name"].strip() and not _signal(background) and all(_distance(c, background) < TEXT_DELTA for c in colours):
            problems.append(f"{_name(shot)}: the text '{w['name']}' of the cell at {w['box']} "
                            f"cannot be seen: it has its background's colour {background}")
    return problems


def _dark_rows(picture, box):
    """For each row of box, a bit mask of the columns inside runs of at least BLOCK black
    pixels."""
    x, y, width, height = box
    dark = bytes(1 if v < DARK else 0 for v in range(256))
    run = re.compile(rb"(?:\x01\x01\x01){%d,}" % BLOCK)
    masks = []
    for row in range(max(y, 0), min(y + height, picture.height)):
        start = (row * picture.width + max(x, 0)) * 3
        end = (row * picture.width + min(x + width, picture.width)) * 3
        line = picture.pixels[start:end].translate(dark)
        mask = 0
        for m in run.finditer(line):
            first, last = (m.start() + 2) // 3, m.end() // 3
            mask |= ((1 << (last - first)) - 1) << first
        masks.append(mask)
    return masks


def _has_run(mask, length):
    for _ in range(length - 1):
        mask &= mask >> 1
    return mask != 0


def black_block(picture, box):
    """Whether box holds a solid black block of at least BLOCK x BLOCK pixels."""
    masks = _dark_rows(picture, box)
    for top in range(0, len(masks) - BLOCK + 1):
        if not masks[top]:
            continue
        common = masks[top]
        for mask in masks[top + 1:top + BLOCK]:
            common &= mask
            if not common:
                break
        if common and _has_run(common, BLOCK):
            return True
    return False


def picture_problems(shot, picture):
    shown, client = shot["shown"], shot["client"]
    inner = _relative(client, shown)
    colours = picture.region(inner)
    if not colours:
        return [f"{_name(shot)}: nothing of its window lies on the screen"]
    background, share = dominant(colours[::3])
    light = luminance(background) > LIGHT
    problems = []
    if share >= 0.995:
        problems.append(f"{_name(shot)}: the window is one colour {background} throughout: "
                        "left unpainted")
    if light and black_block(picture, inner):
        problems.append(f"{_name(shot)}: a solid black area of at least {BLOCK}x{BLOCK} px "
                        "inside a light window: left unpainted")
    return problems + cell_problems(shot, picture, light)


def _ppm_pages(data):
    """The pages of pdftoppm's PPM output as lists of colours."""
    pages = []
    while data:
        fields = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
        if fields is None:
            break
        width, height = int(fields.group(1)), int(fields.group(2))
        body = data[fields.end():fields.end() + width * height * 3]
        pages.append(body)
        data = data[fields.end() + width * height * 3:]
    return pages


def pdf_problems(folder, pdf):
    out = subprocess.run(["pdftoppm", "-r", "24", os.path.join(folder, pdf)],
                         capture_output=True, timeout=60, check=True).stdout
    problems = []
    pages = _ppm_pages(out)
    if not pages:
        problems.append(f"the report {pdf} has no page")
    for number, page in enumerate(pages, 1):
        if len(set(page)) <= 1:
            problems.append(f"page {number} of the report {pdf} is blank")
    return problems


def gallery_problems(folder):
    with open(os.path.join(folder, "shots.json"), encoding="utf-8") as f:
        manifest = json.load(f)
    problems = [f"not taken: {failure}" for failure in manifest["failures"]]
    shots = manifest["shots"]
    for lang in manifest["langs"]:
        taken = {s["state"] for s in shots if s["lang"] == lang}
        problems += [f"no picture of '{state}' in {lang}" for state in STATES
                     if state not in taken]
    for pdf in sorted({s["pdf"] for s in shots if "pdf" in s}):
        problems += pdf_problems(folder, pdf)
    for shot in shots:
        if "frame" not in shot:
            continue
        problems += placement_problems(shot, manifest["screen"])
        if shot["file"] is not None:
            problems += picture_problems(shot, read_png(os.path.join(folder, shot["file"])))
    return problems


def main():
    problems = gallery_problems(sys.argv[1])
    for problem in problems:
        print("FAILED:", problem)
    print(f"{len(problems)} problems in the gallery")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
