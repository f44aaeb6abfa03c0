#!/usr/bin/python3
"""Windows a program opens over its own form, the database window's menu and dialogs, and the
report designer's preview and dialogs, judged from a picture of the X screen itself (`xwd
-root`), not from what Qt draws into its own buffers: each must show its background and its
text where it lies on the screen.

    secondary_windows_test.py VORLAN VRLTOOL bare|openbox [OUT_DIR]

Runs on a private Xvfb screen of 1280x1024, without a window manager or with openbox. Pictures of
failed cases (and of all, when OUT_DIR is given) are kept for a person to look at. Exits with 77
when a tool is missing, except under CI=true, where a missing tool is a failure."""

import os
import ctypes
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screen_capture import ScreenImage, drawn_window_fault  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
VORLAN = VRLTOOL = MODE = OUT_DIR = ""
FORM_CAPTION = "Okna nad programem"
SKIP = 77

TREE_LINE = re.compile(r'^\s*(0x[0-9a-f]+) (?:"[^"]*"|\(has no name\)): \((.*?)\)\s+'
                       r'(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+)')


def missing_tools(mode):
    tools = ["Xvfb", "xwd", "xwininfo", "xdotool"] + (["openbox"] if mode == "openbox" else [])
    return [t for t in tools if shutil.which(t) is None]


class Screen:
    """A private X screen, with openbox on it when asked for."""

    def __init__(self, with_wm):
        read, write = os.pipe()
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as numbers:
            number = numbers.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.wm = None
        if with_wm:
            self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL)
            self.wait_for(lambda: "_NET_SUPPORTING_WM_CHECK" in self.run("xprop", "-root"), 10)

    def close(self):
        for process in (self.wm, self.server):
            if process:
                process.terminate()
                process.wait(10)

    def run(self, *command):
        return subprocess.run(command, env=self.env, capture_output=True, text=True,
                              timeout=30).stdout

    @staticmethod
    def wait_for(condition, seconds):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            found = condition()
            if found:
                return found
            time.sleep(0.1)
        return None

    def windows(self):
        """Mapped windows of the runtime (by their X class) as id: (x, y, width, height)."""
        found = {}
        for line in self.run("xwininfo", "-root", "-tree").splitlines():
            match = TREE_LINE.match(line)
            if not match or "vorlan" not in match.group(2).lower():
                continue
            window, _, width, height, x, y = match.groups()
            if int(width) < 20 or int(height) < 10:
                continue
            if "IsViewable" not in self.run("xwininfo", "-id", window):
                continue
            found[window] = (int(x), int(y), int(width), int(height))
        return found

    def ask_to_close(self, window):
        """Sends WM_DELETE_WINDOW, as a window manager's close box does (no manager needed)."""
        xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                    ctypes.c_void_p]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                        ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                        ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                        ("pad", ctypes.c_long * 12)]

        display = xlib.XOpenDisplay(self.env["DISPLAY"].encode())
        event = ClientMessage()
        event.type = 33  # ClientMessage
        event.window = int(window, 0)
        event.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
        event.format = 32
        event.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
        xlib.XSendEvent(display, event.window, 0, 0, ctypes.byref(event))
        xlib.XFlush(display)
        xlib.XCloseDisplay(display)

    def capture(self):
        picture = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True,
                                 timeout=30).stdout
        return ScreenImage(picture)


class WindowsOverProgram(unittest.TestCase):
    """Each case starts the program, waits for its form, opens one window over it and checks
    the new window's area on the screen."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="vorlan-screen-")
        cls.archive = os.path.join(cls.work, "WINDOWS.VRL")
        subprocess.run([VRLTOOL, "pack", cls.archive, os.path.join(HERE, "WINDOWS.ZLM"),
                        os.path.join(HERE, "WINDOWS.zfm")], check=True, capture_output=True)
        cls.screen = Screen(MODE == "openbox")

    @classmethod
    def tearDownClass(cls):
        cls.screen.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        if self.screen.server.poll() is not None:
            # On a loaded machine the X server itself has been seen to go away between cases
            # (the program could not connect at all); the case gets a new screen.
            sys.stderr.write("X server ended with %r; starting a new one\n" %
                             self.screen.server.poll())
            self.screen.close()
            type(self).screen = Screen(MODE == "openbox")
        env = dict(self.screen.env, XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                   LANG="cs_CZ.UTF-8")
        self.program = subprocess.Popen([VORLAN, self.archive], cwd=self.work, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        form = self.screen.wait_for(
            lambda: self.screen.run("xdotool", "search", "--name", FORM_CAPTION).split(), 45)
        self.assertTrue(form, "the program's form did not appear")
        self.form = form[0]
        self.screen.run("xdotool", "mousemove", "5", "1015")
        self.screen.run("xdotool", "windowfocus", "--sync", self.form)
        time.sleep(0.5)
        self.before = self.screen.windows()

    def tearDown(self):
        self.program.kill()
        self.program.communicate(timeout=10)

    def key(self, keys):
        self.screen.run("xdotool", "key", "--clearmodifiers", keys)

    def assert_new_window_drawn(self, name):
        def new_windows():
            return {w: g for w, g in self.screen.windows().items() if w not in self.before}

        appeared = self.screen.wait_for(new_windows, 10)
        self.assertTrue(appeared, name + ": no new window appeared")
        # Time to draw, as a person would look a moment later. A machine busy with other tests
        # may take longer to paint: the window is looked at again for a while, so that only a
        # window that stays black or empty fails.
        time.sleep(0.3)
        end = time.monotonic() + 15
        while True:
            shown = new_windows() or appeared
            x, y, width, height = max(shown.values(), key=lambda g: g[2] * g[3])
            picture = self.screen.capture()
            fault = drawn_window_fault(picture.area(x, y, width, height))
            if not fault or time.monotonic() > end:
                break
            time.sleep(0.5)
        if fault or OUT_DIR:
            folder = OUT_DIR or self.work
            os.makedirs(folder, exist_ok=True)
            keep = os.path.join(folder, "%s-%s.png" % (MODE, name))
            picture.save_png(keep)
            if fault:
                shutil.copy(keep, os.path.join(tempfile.gettempdir(), os.path.basename(keep)))
        self.assertIsNone(fault, "%s at %dx%d+%d+%d: %s" % (name, width, height, x, y, fault))

    def test_message_box(self):
        self.key("1")
        self.assert_new_window_drawn("message")

    def test_question(self):
        self.key("2")
        self.assert_new_window_drawn("question")

    def test_input_box(self):
        self.key("3")
        self.assert_new_window_drawn("inputbox")

    def test_popup_menu(self):
        self.key("4")
        self.assert_new_window_drawn("popupmenu")

    def test_file_dialog(self):
        self.key("5")
        self.assert_new_window_drawn("filedialog")

    def test_combo_drop_down(self):
        self.key("alt+Down")
        self.assert_new_window_drawn("combo")

    def test_tooltip(self):
        geometry = self.screen.run("xdotool", "getwindowgeometry", "--shell", self.form)
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        # The edit with the hint fills the upper part of the form.
        self.screen.run("xdotool", "mousemove", str(int(values["X"]) + 150),
                        str(int(values["Y"]) + 80))
        self.assert_new_window_drawn("tooltip")


class DatabaseWindowDialogs(unittest.TestCase):
    """The database window's pop-up menu and the dialogs of its table tool, opened by a user
    over `vorlan --browse` on a Czech table."""

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="vorlan-dbf-screen-")
        archive = os.path.join(cls.work, "TABLE.VRL")
        programs = os.path.join(HERE, "..", "..", "programs")
        subprocess.run([VRLTOOL, "pack", archive,
                        os.path.join(programs, "dbf_functions", "MAIN.ZLM")],
                       check=True, capture_output=True)
        subprocess.run([VORLAN, "--headless", "TABLE.VRL"], cwd=cls.work, capture_output=True,
                       timeout=60)
        cls.table = os.path.join(cls.work, "ZBOZI.DBF")
        cls.screen = Screen(MODE == "openbox")

    @classmethod
    def tearDownClass(cls):
        cls.screen.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.assertTrue(os.path.exists(self.table), "the sample table was not made")
        env = dict(self.screen.env, XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                   LANG="cs_CZ.UTF-8")
        self.program = subprocess.Popen([VORLAN, "--browse", self.table], cwd=self.work, env=env,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        found = self.screen.wait_for(
            lambda: self.screen.run("xdotool", "search", "--onlyvisible", "--name",
                                    "ZBOZI").split(), 45)
        self.assertTrue(found, "the database window did not appear")
        self.window = found[0]
        self.screen.run("xdotool", "windowfocus", "--sync", self.window)
        time.sleep(0.5)
        self.before = self.screen.windows()

    def tearDown(self):
        self.program.kill()
        self.program.communicate(timeout=10)

    def open_menu(self):
        geometry = self.screen.run("xdotool", "getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
        # The grid fills the window below its toolbar.
        self.screen.run("xdotool", "mousemove", str(int(values["X"]) + 120),
                        str(int(values["Y"]) + 90), "click", "3")
        time.sleep(0.7)

    def test_popup_menu(self):
        self.open_menu()
        WindowsOverProgram.assert_new_window_drawn(self, "dbf-menu")

    def test_filter_dialog(self):
        self.open_menu()
        self.screen.run("xdotool", "key", "f")
        WindowsOverProgram.assert_new_window_drawn(self, "dbf-filter")

    def test_structure_dialog(self):
        self.open_menu()
        # The last item of the menu.
        self.screen.run("xdotool", "key", "Up", "Return")
        WindowsOverProgram.assert_new_window_drawn(self, "dbf-structure")


class DesignerWindows(unittest.TestCase):
    """The report designer's preview, its report settings and its element dialog, opened with
    the mouse over `vorlan --design` on the grouped sample template. The commands and elements
    are clicked where the designer lays them out in its own window."""

    REPORTS = os.path.join(HERE, "..", "..", "integration", "reports")

    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="vorlan-designer-screen-")
        cls.screen = Screen(MODE == "openbox")

    @classmethod
    def tearDownClass(cls):
        cls.screen.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        template = os.path.join(self.work, "GROUPED.PTS")
        shutil.copy(os.path.join(self.REPORTS, "GROUPED.PTS"), template)
        env = dict(self.screen.env, XDG_CONFIG_HOME=os.path.join(self.work, "config"),
                   LANG="cs_CZ.UTF-8")
        self.program = subprocess.Popen(
            [VORLAN, "--design", template, "--data", os.path.join(self.REPORTS, "SALES.CSV")],
            cwd=self.work, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        found = self.screen.wait_for(
            lambda: self.screen.run("xdotool", "search", "--onlyvisible", "--name",
                                    "Oprava předlohy").split(), 45)
        self.assertTrue(found, "the designer did not appear")
        self.window = found[0]
        self.screen.run("xdotool", "windowfocus", "--sync", self.window)
        time.sleep(1.0)
        self.before = self.screen.windows()

    def tearDown(self):
        self.program.kill()
        self.program.communicate(timeout=10)

    def click(self, x, y, repeat=1):
        # Where the window's inside lies on the screen (a window manager's frame included).
        left, top, _, _ = self.before[hex(int(self.window))]
        self.screen.run("xdotool", "mousemove", str(left + x), str(top + y), "click", "--repeat",
                        str(repeat), "1")

    def test_preview(self):
        self.click(133, 14)  # "Ukázka"
        WindowsOverProgram.assert_new_window_drawn(self, "designer-preview")

    def test_report_settings(self):
        self.click(246, 14)  # "Předloha"
        WindowsOverProgram.assert_new_window_drawn(self, "designer-settings")

    def test_element_dialog(self):
        self.click(101, 354, repeat=2)  # the customer's field in the body
        WindowsOverProgram.assert_new_window_drawn(self, "designer-element")


class ConsoleAfterTheProgram(unittest.TestCase):
    """A program of the command line that wrote to the console: its text stays on the screen
    after it ends, until the user closes the window; then the runtime ends."""

    def test_console_stays_until_closed(self):
        work = tempfile.mkdtemp(prefix="vorlan-console-")
        screen = Screen(MODE == "openbox")
        try:
            archive = os.path.join(work, "HELLO.VRL")
            programs = os.path.join(HERE, "..", "..", "programs")
            subprocess.run([VRLTOOL, "pack", archive, os.path.join(programs, "hello", "MAIN.ZLM")],
                           check=True, capture_output=True)
            env = dict(screen.env, XDG_CONFIG_HOME=os.path.join(work, "config"))
            program = subprocess.Popen([VORLAN, archive], cwd=work, env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                found = screen.wait_for(
                    lambda: screen.run("xdotool", "search", "--onlyvisible", "--name",
                                       "Výstup - text").split(), 45)
                self.assertTrue(found, "the console did not stay on the screen")
                time.sleep(1.5)
                self.assertIsNone(program.poll(), "the runtime ended with the program")
                shown = screen.windows()
                self.assertIn(hex(int(found[0])), shown)
                x, y, width, height = shown[hex(int(found[0]))]
                picture = screen.capture()
                self.assertIsNone(drawn_window_fault(picture.area(x, y, width, height)))
                screen.ask_to_close(found[0])
                self.assertEqual(program.wait(20), 0)
            finally:
                if program.poll() is None:
                    program.kill()
                    program.wait(10)
        finally:
            screen.close()
            shutil.rmtree(work, ignore_errors=True)


def main():
    global VORLAN, VRLTOOL, MODE, OUT_DIR
    if len(sys.argv) < 4 or sys.argv[3] not in ("bare", "openbox"):
        print(__doc__, file=sys.stderr)
        return 2
    VORLAN, VRLTOOL = (os.path.abspath(p) for p in sys.argv[1:3])
    MODE = sys.argv[3]
    OUT_DIR = sys.argv[4] if len(sys.argv) > 4 else ""
    missing = missing_tools(MODE)
    if missing:
        print("missing: " + ", ".join(missing) + " (scripts/install-deps.sh)", file=sys.stderr)
        return 1 if os.environ.get("CI") == "true" else SKIP
    result = unittest.main(argv=[sys.argv[0]], exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
