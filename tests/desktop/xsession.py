# SPDX-License-Identifier: Zlib
"""Helpers for tests that drive the real program in a real X server (Xvfb).

What a test needs to act as a person in front of the window: an X server of
its own, the program's window found by its process id, the pointer moved and
the buttons and keys pressed through the X server's test extension (xdotool),
the program's message boxes found and answered, the system clipboard read
(xclip), the window's pixels captured, and the window closed the way a window
manager closes it.

The window is read and closed through libX11 itself (ctypes): no Python X
library is needed, and XGetImage gives the window's pixels exactly as the
server holds them. PNG files written by the program (-screenshot) are read
here too, without an image library.

Every wait is for a condition (a window mapped, a box shown, the clipboard
filled, the window's pixels showing a state), polled with a limit that only
guards against a program that never gets there.
"""

import argparse
import contextlib
import ctypes
import ctypes.util
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib


class XSessionError(Exception):
    pass


def wait_for(what, condition, timeout=60.0, interval=0.05):
    """Polls condition() until it returns something true and returns that;
    raises XSessionError naming `what` when the limit passes first."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise XSessionError("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# ---- the X server ----

class Xvfb:
    """An X server of our own. It picks a free display number and writes it
    to a pipe once it accepts connections (-displayfd): no guessing of
    numbers, no polling for it to be ready. -noreset: by default the server
    starts over whenever its last client leaves, and a client connecting at
    that moment finds no server."""

    def __init__(self, width=1280, height=1024, timeout=60.0, log_path=os.devnull):
        read_end, write_end = os.pipe()
        self._log = open(log_path, "wb")
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp",
             "-screen", "0", "%dx%dx24" % (width, height)],
            pass_fds=(write_end,), stdout=self._log, stderr=subprocess.STDOUT)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        try:
            os.set_blocking(read_end, False)
            while not number.endswith(b"\n"):
                if self.process.poll() is not None:
                    raise XSessionError("Xvfb ended with %d before it took connections" % self.process.returncode)
                if time.monotonic() >= deadline:
                    raise XSessionError("Xvfb did not start within %.0f s" % timeout)
                try:
                    chunk = os.read(read_end, 64)
                except BlockingIOError:
                    time.sleep(0.05)
                    continue
                if not chunk:
                    raise XSessionError("Xvfb closed its display pipe without a number")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def environment(self, base=None):
        env = dict(os.environ if base is None else base)
        env["DISPLAY"] = self.display
        return env

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self._log.close()


# ---- libX11 through ctypes ----

class _XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong)]


class _XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xclient", _XClientMessageEvent), ("pad", ctypes.c_long * 24)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
_IS_VIEWABLE = 2
_Z_PIXMAP = 2
_ALL_PLANES = 0xFFFFFFFF
_CLIENT_MESSAGE = 33
_ANY_PROPERTY_TYPE = 0


def _load_xlib():
    path = ctypes.util.find_library("X11") or "libX11.so.6"
    lib = ctypes.CDLL(path)
    p, ul, i, ui = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint
    signatures = {
        "XOpenDisplay": (p, [ctypes.c_char_p]),
        "XCloseDisplay": (i, [p]),
        "XDefaultRootWindow": (ul, [p]),
        "XQueryTree": (i, [p, ul, ctypes.POINTER(ul), ctypes.POINTER(ul), ctypes.POINTER(ctypes.POINTER(ul)),
                           ctypes.POINTER(ui)]),
        "XFree": (i, [p]),
        "XInternAtom": (ul, [p, ctypes.c_char_p, i]),
        "XGetWindowProperty": (i, [p, ul, ul, ctypes.c_long, ctypes.c_long, i, ul, ctypes.POINTER(ul),
                                   ctypes.POINTER(i), ctypes.POINTER(ul), ctypes.POINTER(ul),
                                   ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))]),
        "XGetWindowAttributes": (i, [p, ul, ctypes.POINTER(_XWindowAttributes)]),
        "XTranslateCoordinates": (i, [p, ul, ul, i, i, ctypes.POINTER(i), ctypes.POINTER(i), ctypes.POINTER(ul)]),
        "XGetImage": (ctypes.POINTER(_XImage), [p, ul, i, i, ui, ui, ul, i]),
        "XDestroyImage": (i, [ctypes.POINTER(_XImage)]),
        "XSendEvent": (i, [p, ul, i, ctypes.c_long, ctypes.POINTER(_XEvent)]),
        "XSync": (i, [p, i]),
        "XGetSelectionOwner": (ul, [p, ul]),
        "XSetErrorHandler": (p, [_ERROR_HANDLER]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    return lib


class Image:
    """Pixels as rows of RGB bytes."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows  # a list of bytes, 3 per pixel

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x:3 * x + 3])

    def crop(self, x, y, width, height):
        return Image(width, height, [bytes(r[3 * x:3 * (x + width)]) for r in self.rows[y:y + height]])

    def differences(self, other, tolerance=0):
        """The pixels (x, y, ours, theirs) where some channel differs by more
        than tolerance; images of different sizes differ everywhere."""
        if (self.width, self.height) != (other.width, other.height):
            return [(-1, -1, (self.width, self.height), (other.width, other.height))]
        found = []
        for y in range(self.height):
            a, b = self.rows[y], other.rows[y]
            if a == b:
                continue
            for x in range(self.width):
                pa, pb = a[3 * x:3 * x + 3], b[3 * x:3 * x + 3]
                if pa != pb and max(abs(pa[0] - pb[0]), abs(pa[1] - pb[1]), abs(pa[2] - pb[2])) > tolerance:
                    found.append((x, y, tuple(pa), tuple(pb)))
        return found

    def write_png(self, path):
        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        pixels = zlib.compress(b"".join(b"\x00" + row for row in self.rows))
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) + chunk(b"IEND", b""))


def _paeth_row(line, prev, bpp):
    for i in range(len(line)):
        a = line[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
        line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255


def read_png(path, previous=None):
    """An 8-bit RGB or RGBA PNG file (not interlaced) as an Image.

    Pictures of one program in a row differ in few rows. With `previous`,
    an Image read earlier from a PNG of the same size, a row whose stored
    bytes and the row above are unchanged is taken from it, not decoded
    again: every PNG filter looks only left and up, so its pixels are the
    same."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise XSessionError("%s is not a PNG file" % path)
    pos, chunks, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        elif kind == b"IEND":
            break
    if header is None:
        raise XSessionError("%s has no header" % path)
    width, height, depth, colour_type, _, _, interlace = header
    if depth != 8 or colour_type not in (2, 6) or interlace:
        raise XSessionError("%s: only 8-bit RGB or RGBA PNG files without interlacing are read" % path)
    bpp = 4 if colour_type == 6 else 3
    stride = width * bpp
    raw = zlib.decompress(b"".join(chunks))
    if len(raw) < (stride + 1) * height:
        raise XSessionError("%s: the pixel data is cut short" % path)
    reuse = previous is not None and getattr(previous, "_png", None) and previous._png[0] == (width, height, bpp)
    stored, lines, rows = [], [], []
    prev = bytearray(stride)
    same_above = True  # the row above is the previous picture's
    for y in range(height):
        start = y * (stride + 1)
        filtered = raw[start:start + stride + 1]
        stored.append(filtered)
        if reuse and same_above and filtered == previous._png[1][y]:
            line = previous._png[2][y]
            lines.append(line)
            rows.append(previous.rows[y])
            prev = line
            continue
        same_above = False
        kind = filtered[0]
        line = bytearray(filtered[1:])
        if kind == 1:
            for i in range(bpp, stride):
                line[i] = (line[i] + line[i - bpp]) & 255
        elif kind == 2:
            line = bytearray((a + b) & 255 for a, b in zip(line, prev))
        elif kind == 3:
            for i in range(stride):
                line[i] = (line[i] + (((line[i - bpp] if i >= bpp else 0) + prev[i]) >> 1)) & 255
        elif kind == 4:
            _paeth_row(line, prev, bpp)
        elif kind != 0:
            raise XSessionError("%s: unknown PNG filter %d in row %d" % (path, kind, y))
        if reuse and line == previous._png[2][y]:
            same_above = True
            line = previous._png[2][y]
            rows.append(previous.rows[y])
        elif bpp == 4:
            rgb = bytearray(3 * width)
            rgb[0::3], rgb[1::3], rgb[2::3] = line[0::4], line[1::4], line[2::4]
            rows.append(bytes(rgb))
        else:
            rows.append(bytes(line))
        lines.append(line)
        prev = line
    image = Image(width, height, rows)
    image._png = ((width, height, bpp), stored, lines)
    return image


class Display:
    """A connection to the X server for looking at windows: finding them,
    reading their properties and pixels, and asking one to close."""

    def __init__(self, name):
        self.server = name  # the display, ":N"
        self._x = _load_xlib()
        self.errors = 0  # X errors so far, each one ignored

        # The default handler ends the process on any error, and a window can
        # vanish between finding it and reading it (a message box closing):
        # the call then fails and says so by its result.
        def on_error(display, event):
            self.errors += 1
            return 0

        self._handler = _ERROR_HANDLER(on_error)
        self._x.XSetErrorHandler(self._handler)
        self._d = self._x.XOpenDisplay(name.encode())
        if not self._d:
            raise XSessionError("cannot connect to the X server %s" % name)
        self.root = self._x.XDefaultRootWindow(self._d)

    def close(self):
        if self._d:
            self._x.XCloseDisplay(self._d)
            self._d = None

    def atom(self, name):
        return self._x.XInternAtom(self._d, name.encode(), 0)

    def top_level_windows(self):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self._x.XQueryTree(self._d, self.root, ctypes.byref(root), ctypes.byref(parent),
                                  ctypes.byref(children), ctypes.byref(count)):
            return []
        found = [children[i] for i in range(count.value)]
        if children:
            self._x.XFree(children)
        return found

    def _property(self, window, name):
        kind, fmt = ctypes.c_ulong(), ctypes.c_int()
        items, after = ctypes.c_ulong(), ctypes.c_ulong()
        value = ctypes.POINTER(ctypes.c_ubyte)()
        status = self._x.XGetWindowProperty(self._d, window, self.atom(name), 0, 4096, 0, _ANY_PROPERTY_TYPE,
                                            ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(items),
                                            ctypes.byref(after), ctypes.byref(value))
        if status != 0 or not value:
            return None
        try:
            if fmt.value == 8:
                return bytes(value[:items.value])
            if fmt.value == 32:  # returned as longs
                longs = ctypes.cast(value, ctypes.POINTER(ctypes.c_ulong))
                return [longs[i] for i in range(items.value)]
            return None
        finally:
            self._x.XFree(value)

    def selection_owner(self, selection="CLIPBOARD"):
        """The window that owns the selection, 0 when no client does."""
        return self._x.XGetSelectionOwner(self._d, self.atom(selection))

    def pid(self, window):
        value = self._property(window, "_NET_WM_PID")
        return value[0] if value else None

    def transient_for(self, window):
        value = self._property(window, "WM_TRANSIENT_FOR")
        return value[0] if value else None

    def name(self, window):
        value = self._property(window, "_NET_WM_NAME") or self._property(window, "WM_NAME")
        return value.decode("utf-8", "replace") if isinstance(value, bytes) else None

    def geometry(self, window):
        """(x, y, width, height) on the screen, or None when the window is
        gone or not shown."""
        attributes = _XWindowAttributes()
        if not self._x.XGetWindowAttributes(self._d, window, ctypes.byref(attributes)):
            return None
        if attributes.map_state != _IS_VIEWABLE:
            return None
        x, y, child = ctypes.c_int(), ctypes.c_int(), ctypes.c_ulong()
        if not self._x.XTranslateCoordinates(self._d, window, self.root, 0, 0, ctypes.byref(x), ctypes.byref(y),
                                             ctypes.byref(child)):
            return None
        return (x.value, y.value, attributes.width, attributes.height)

    def windows_of(self, pid):
        """The shown top-level windows whose _NET_WM_PID is pid."""
        return [w for w in self.top_level_windows() if self.pid(w) == pid and self.geometry(w)]

    def dialogs_of(self, window):
        """The shown top-level windows that declare themselves transient for
        window: its message boxes."""
        return [w for w in self.top_level_windows() if self.transient_for(w) == window and self.geometry(w)]

    def capture(self, window, x=0, y=0, width=None, height=None):
        """The window's pixels (a part of it) as the server holds them."""
        geometry = self.geometry(window)
        if geometry is None:
            raise XSessionError("window 0x%x is not shown" % window)
        width = geometry[2] - x if width is None else width
        height = geometry[3] - y if height is None else height
        image = self._x.XGetImage(self._d, window, x, y, width, height, _ALL_PLANES, _Z_PIXMAP)
        if not image:
            raise XSessionError("the pixels of window 0x%x could not be read" % window)
        try:
            im = image.contents
            if im.bits_per_pixel != 32 or im.red_mask != 0xFF0000 or im.blue_mask != 0xFF or im.byte_order != 0:
                raise XSessionError("unexpected pixel layout: %d bits, red mask 0x%x" %
                                    (im.bits_per_pixel, im.red_mask))
            raw = ctypes.string_at(im.data, im.bytes_per_line * im.height)
            rows = []
            for row in range(im.height):
                line = raw[row * im.bytes_per_line:row * im.bytes_per_line + 4 * im.width]
                rgb = bytearray(3 * im.width)  # the server's BGRX to RGB
                rgb[0::3], rgb[1::3], rgb[2::3] = line[2::4], line[1::4], line[0::4]
                rows.append(bytes(rgb))
            return Image(im.width, im.height, rows)
        finally:
            self._x.XDestroyImage(image)

    def request_close(self, window):
        """What a window manager does when its close button is clicked: a
        WM_PROTOCOLS client message with WM_DELETE_WINDOW, sent to the
        window's owner. Xvfb has no window manager, so the test plays it."""
        event = _XEvent()
        event.xclient.type = _CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = self.atom("WM_PROTOCOLS")
        event.xclient.format = 32
        event.xclient.data[0] = self.atom("WM_DELETE_WINDOW")
        event.xclient.data[1] = 0  # CurrentTime
        if not self._x.XSendEvent(self._d, window, 0, 0, ctypes.byref(event)):
            raise XSessionError("the close request could not be sent")
        self._x.XSync(self._d, 0)


# ---- input and the clipboard, through the X server as a person's would ----

class Input:
    """Pointer and keyboard through xdotool, which makes them with the X
    server's test extension: the program gets the same events a mouse and a
    keyboard make."""

    def __init__(self, display):
        self.env = dict(os.environ)
        self.env["DISPLAY"] = display
        self.position = None  # where this helper last put the pointer

    def xdotool(self, *arguments):
        result = subprocess.run(["xdotool"] + [str(a) for a in arguments], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if result.returncode != 0:
            raise XSessionError("xdotool %s failed: %s" % (" ".join(map(str, arguments)),
                                                           result.stderr.decode(errors="replace").strip()))
        return result.stdout.decode()

    def move(self, screen_x, screen_y):
        # --sync: returns once the pointer is there. It would wait for a
        # motion that never comes if the pointer is there already, and a move
        # to the same place makes no event anyway.
        if self.position == (screen_x, screen_y):
            return
        self.xdotool("mousemove", "--sync", screen_x, screen_y)
        self.position = (screen_x, screen_y)

    def press(self, button=1):
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def focus(self, window):
        # Without a window manager, the test gives the focus as one would.
        self.xdotool("windowfocus", "--sync", window)

    def key(self, name):
        self.xdotool("key", name)

    def key_down(self, name):
        # A key held, for a shortcut: the program sees Control held only
        # while it is down, so the letter goes down while it is.
        self.xdotool("keydown", name)

    def key_up(self, name):
        self.xdotool("keyup", name)


def wait_for_dialog(display, window, timeout=60.0, check=None):
    """Waits for a message box of window (a shown top-level window that is
    transient for it) and returns it. `check`, called on each poll, may raise
    to give up early (the program has ended, say)."""

    def dialog():
        if check:
            check()
        found = display.dialogs_of(window)
        return found[0] if found else None

    return wait_for("a message box of window 0x%x" % window, dialog, timeout)


def answer_dialog(display, keys, dialog, key="Return", timeout=60.0):
    """Answers a message box as a person does: gives it the keyboard focus
    (there is no window manager to do that), presses the key, and waits for
    the box to go away."""
    keys.focus(dialog)
    keys.key(key)
    wait_for("message box 0x%x to close" % dialog, lambda: not display.geometry(dialog), timeout)


def read_clipboard(display, timeout=30.0):
    """The CLIPBOARD selection's text as bytes, or None when no client owns
    it or the owner does not answer in time."""
    env = dict(os.environ)
    env["DISPLAY"] = display
    try:
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
    return result.stdout if result.returncode == 0 else None


class RoomMapping:
    """Room coordinates to screen coordinates for a window that shows the
    room scaled to fit, centred (the runner keeps the room's aspect; at 1x
    the window is the room's size and the mapping is a shift by the window's
    place on the screen). A point maps to the middle of the window pixels
    that show its room pixel, so that the program maps it back exactly."""

    def __init__(self, window_geometry, room_width, room_height):
        self.left, self.top, self.width, self.height = window_geometry
        self.scale = min(self.width / room_width, self.height / room_height)
        self.inset_x = (self.width - room_width * self.scale) / 2
        self.inset_y = (self.height - room_height * self.scale) / 2

    def to_window(self, x, y):
        return (int(self.inset_x + (x + 0.5) * self.scale), int(self.inset_y + (y + 0.5) * self.scale))

    def to_screen(self, x, y):
        wx, wy = self.to_window(x, y)
        return (self.left + wx, self.top + wy)


SKIPPED = 77  # ctest's SKIP_RETURN_CODE of the desktop tests: a tool is missing


@contextlib.contextmanager
def session(width, height, limit, work):
    """An X server of width x height of its own (DISPLAY set to it) and a
    connection to it, both ended when the block ends."""
    xvfb = Xvfb(width, height, limit, os.path.join(work, "xvfb.log"))
    display = None
    try:
        os.environ["DISPLAY"] = xvfb.display
        display = Display(xvfb.display)
        yield display
    finally:
        if display:
            display.close()
        xvfb.stop()


def run_test(name, run, arguments=("program",), tools=("Xvfb", "xdotool", "xclip")):
    """The main of a desktop test: reads the program and the other
    `arguments` (and --keep FOLDER) from the command line, skips when one of
    `tools` is missing, runs run(args, work) in a work folder and reports.
    run fails by raising XSessionError (or a subclass); the folder is kept
    then. Returns the exit code."""
    # ctest ends a test that runs too long with SIGTERM: end through the
    # cleanup, so that no program or X server outlives the test.
    signal.signal(signal.SIGTERM, lambda number, frame: sys.exit(128 + number))
    parser = argparse.ArgumentParser(prog=name)
    for argument in arguments:
        parser.add_argument(argument)
    parser.add_argument("--keep", help="a folder for the run's files, kept")
    args = parser.parse_args()
    args.program = os.path.abspath(args.program)
    for tool in tools:
        if shutil.which(tool) is None:
            print("%s: skipped: %s is not installed" % (name, tool))
            return SKIPPED
    work = args.keep or tempfile.mkdtemp(prefix=name + ".")
    os.makedirs(work, exist_ok=True)
    started = time.monotonic()
    try:
        run(args, work)
    except XSessionError as error:
        print("%s: FAILED: %s" % (name, error))
        print("%s: the run's files are kept in %s" % (name, work))
        return 1
    print("%s: passed in %.1f s" % (name, time.monotonic() - started))
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)
    return 0
