"""The gallery's checks against pictures drawn here, each with one fault a person would see and
the nearest picture that is still acceptable: a check that cannot fail, or that fails on a
sound window, is caught before it judges the real windows."""

import os
import tempfile
import unittest

from check_gallery import BLOCK, picture_problems, placement_problems
from pictures import Picture, read_png, write_png

SCREEN = [1366, 768]
GREY, WHITE, BLACK, TEXT = (239, 239, 239), (255, 255, 255), (0, 0, 0), (20, 20, 20)
RED = (255, 200, 200)


def drawn(width, height, fill, rects=()):
    """A picture of fill with the rectangles (box, colour) painted over it."""
    pixels = bytearray(bytes(fill) * (width * height))
    for (x, y, w, h), colour in rects:
        for row in range(y, y + h):
            start = (row * width + x) * 3
            pixels[start:start + w * 3] = bytes(colour) * w
    return Picture(width, height, bytes(pixels))


def cell(x, y, background, text, name="120"):
    """A 60 x 20 table cell with a short stroke of text, and its accessible widget."""
    rects = [((x, y, 60, 20), background), ((x + 5, y + 6, 12, 8), text)]
    return rects, {"role": "table-cell", "name": name, "box": [100 + x, 100 + y, 60, 20]}


def shot(widgets, frame=(96, 70, 408, 334), client=(100, 100, 400, 300)):
    # The picture is the client area here: what is shown starts at its top left corner.
    return {"title": "window", "state": "s", "lang": "ru", "frame": list(frame),
            "client": list(client), "shown": list(client), "widgets": widgets}


def window_with(*cells, extra=()):
    rects, widgets = [], []
    for r, w in cells:
        rects += r
        widgets.append(w)
    rects += list(extra)
    # A window with some content besides its cells: a label and a line.
    rects += [((10, 250, 120, 14), TEXT), ((0, 200, 400, 1), BLACK)]
    return drawn(400, 300, GREY, rects), shot(widgets)


class Cells(unittest.TestCase):
    def problems(self, *cells):
        picture, s = window_with(*cells)
        return picture_problems(s, picture)

    def test_readable_cells_pass(self):
        self.assertEqual(self.problems(cell(10, 10, WHITE, TEXT), cell(80, 10, RED, TEXT),
                                       cell(150, 10, WHITE, TEXT, name="")), [])

    def test_a_black_cell_fails_whatever_its_text(self):
        for text in (BLACK, WHITE):
            found = self.problems(cell(10, 10, WHITE, TEXT), cell(80, 10, BLACK, text))
            self.assertEqual(len(found), 1, found)
            self.assertIn("painted black", found[0])

    def test_a_text_of_its_background_colour_fails(self):
        # The palest red of a marked row is still a background, not a signal.
        for background in (WHITE, (200, 200, 200), (255, 196, 196)):
            found = self.problems(cell(10, 10, background, background))
            self.assertEqual(len(found), 1, (background, found))
            self.assertIn("cannot be seen", found[0])

    def test_a_status_block_needs_no_visible_text(self):
        green, red = (157, 255, 157), (255, 98, 98)
        self.assertEqual(self.problems(cell(10, 10, green, green, name="ok"),
                                       cell(80, 10, red, red, name="x")), [])

    def test_an_empty_cell_of_one_colour_passes(self):
        self.assertEqual(self.problems(cell(10, 10, WHITE, WHITE, name="")), [])


class UnpaintedAreas(unittest.TestCase):
    def problems(self, size):
        picture, s = window_with(extra=[((200, 40, size, size), BLACK)])
        return picture_problems(s, picture)

    def test_a_black_block_fails_from_its_least_size(self):
        for size in (BLOCK, 120):
            found = self.problems(size)
            self.assertEqual(len(found), 1, (size, found))
            self.assertIn("solid black area", found[0])

    def test_black_smaller_than_a_block_passes(self):
        self.assertEqual(self.problems(BLOCK - 1), [])

    def test_a_window_of_one_colour_fails(self):
        found = picture_problems(shot([]), drawn(400, 300, GREY))
        self.assertEqual(len(found), 1, found)
        self.assertIn("one colour", found[0])

    def test_a_dark_window_may_be_black(self):
        picture = drawn(400, 300, BLACK, [((10, 10, 100, 14), WHITE)])
        self.assertEqual(picture_problems(shot([]), picture), [])


class Placement(unittest.TestCase):
    def test_frames_at_the_screens_edges_pass(self):
        for frame in ((0, 0, 1366, 768), (566, 168, 800, 600)):
            self.assertEqual(placement_problems(shot([], frame=frame), SCREEN), [], frame)

    def test_a_frame_past_the_screen_fails(self):
        for frame, words in (((-1, -20, 800, 600), "title bar off the screen"),
                             ((567, 168, 800, 600), "reaches past"),
                             ((0, 169, 800, 600), "reaches past")):
            found = placement_problems(shot([], frame=frame), SCREEN)
            self.assertEqual(len(found), 1, (frame, found))
            self.assertIn(words, found[0])

    def test_a_control_past_its_window_fails(self):
        inside = {"role": "push button", "name": "OK", "box": [400, 370, 100, 30]}
        past = {"role": "push button", "name": "OK", "box": [420, 370, 100, 30]}
        self.assertEqual(placement_problems(shot([inside]), SCREEN), [])
        found = placement_problems(shot([past]), SCREEN)
        self.assertEqual(len(found), 1, found)
        self.assertIn("past its window", found[0])


class Files(unittest.TestCase):
    def test_a_picture_reads_back_as_written(self):
        picture = drawn(3, 2, GREY, [((1, 0, 2, 1), RED), ((0, 1, 1, 1), BLACK)])
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "p.png")
            write_png(path, 3, 2, picture.pixels)
            back = read_png(path)
        self.assertEqual((back.width, back.height), (3, 2))
        self.assertEqual([back.at(x, y) for y in range(2) for x in range(3)],
                         [GREY, RED, RED, BLACK, GREY, GREY])


if __name__ == "__main__":
    unittest.main()
