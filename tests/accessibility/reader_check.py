#!/usr/bin/env python3
"""Drives the application as a screen reader does: from another process, through AT-SPI.

    reader_check.py PATH_TO_VEXLO
starts its own X server (Xvfb) and a private D-Bus session, whose accessibility bus starts on
demand, and runs the check inside them. The sources are served by a server on 127.0.0.1 that
this script starts; the application's data lives in a temporary folder.
"""
import http.server
import json
import os
import signal
import subprocess
import socket
import sys
import tempfile
import threading
import time
import uuid

INSIDE = "--inside"


def run_inside_session():
    """Xvfb picks a free display itself (no race with other servers), then the check runs again
    in a D-Bus session of its own on that display."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x900x24", "-nolisten", "tcp"],
                            pass_fds=[write], stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        display = f.readline().strip()
    try:
        if not display:
            print("FAIL: Xvfb did not start")
            return 1
        # The number may come before the server takes connections on its socket.
        deadline = time.monotonic() + 30
        while True:
            try:
                with socket.socket(socket.AF_UNIX) as probe:
                    probe.connect("/tmp/.X11-unix/X" + display)
                break
            except OSError:
                if xvfb.poll() is not None or time.monotonic() > deadline:
                    print("FAIL: Xvfb takes no connections on display :" + display)
                    return 1
                time.sleep(0.05)
        env = dict(os.environ, DISPLAY=":" + display)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        env.pop("AT_SPI_BUS_ADDRESS", None)
        return subprocess.call(["dbus-run-session", "--", sys.executable, __file__, INSIDE] + sys.argv[1:], env=env)
    finally:
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__" and INSIDE not in sys.argv:
    sys.exit(run_inside_session())

import gi  # noqa: E402

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402
import pyatspi  # noqa: E402

TIMEOUT = 15.0
SOURCES = ["Alpha", "Beta", "Gamma", "Delta"]
INDEX = {
    "Alpha": "Package: com.example.one\nName: One Tool\nVersion: 1.1-8\nSize: 2048\n"
             "Architecture: iphoneos-arm64\nAuthor: Ann <ann@example.org>\nSection: Tweaks\n"
             "Description: the first package\nFilename: debs/one.deb\n\n",
    "Beta": "Package: com.example.two\nVersion: 2.0\nArchitecture: iphoneos-arm\n\n",
    "Gamma": "Package: com.example.three\nVersion: 3.0\nArchitecture: iphoneos-arm\n\n",
    "Delta": "Package: com.example.four\nVersion: 4.0\nArchitecture: iphoneos-arm\n\n",
}


class Sources(http.server.ThreadingHTTPServer):
    """The sources' indexes, counting requests; a source named in `failing` answers 404."""

    def __init__(self):
        super().__init__(("127.0.0.1", 0), Handler)
        self.lock = threading.Lock()
        self.requests = {name: 0 for name in SOURCES}
        self.failing = set()

    def url(self, name):
        return "http://127.0.0.1:%d/%s/" % (self.server_address[1], name)

    def count(self, name=None):
        with self.lock:
            return sum(self.requests.values()) if name is None else self.requests[name]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        parts = self.path.strip("/").split("/")
        name = parts[0]
        server = self.server
        with server.lock:
            known = name in server.requests and parts[-1] == "Packages"
            if name in server.requests:
                server.requests[name] += 1
            failing = name in server.failing
        if not known or failing:
            self.send_error(404)
            return
        body = INDEX[name].encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def stored_list(server):
    return [{
        "id": str(uuid.uuid4()).upper(), "name": name, "url": server.url(name), "imageURL": "",
        "packagesURL": server.url(name) + "Packages", "packages": [], "isPinned": name == "Alpha",
        "lastUpdated": 0, "isFixed": False, "isUpdating": False, "updateProgress": 0,
    } for name in SOURCES]


class Failure(Exception):
    pass


def pump():
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)


def wait(what, condition, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while True:
        pump()
        try:
            value = condition()
        except Exception:  # a node that went away while walking: look again
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


def nodes(root, showing_only=True):
    """Every node under root, depth first in the tree's order."""
    stack = [root]
    while stack:
        node = stack.pop()
        if node is None:
            continue
        if showing_only and node is not root and not node.getState().contains(pyatspi.STATE_SHOWING):
            continue
        yield node
        stack.extend(reversed([node.getChildAtIndex(i) for i in range(node.childCount)]))


def text_of(node):
    """What a reader says for a node: its name, its description and its text."""
    said = [node.name or "", node.description or ""]
    try:
        text = node.queryText()
        said.append(text.getText(0, text.characterCount))
    except NotImplementedError:
        pass
    return " ".join(s for s in said if s)


def find(root, role, name):
    for node in nodes(root):
        if node.getRole() == role and node.name == name:
            return node
    return None


def marked(root):
    """Names that carry the marks which only order text on screen: a reader would say them."""
    return [n.name for n in nodes(root) if any(c in (n.name or "") for c in "\u2066\u2067\u2068\u2069\u200e\u200f")]


def press(node):
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    if "Press" not in names:
        raise Failure("no Press action on %r (%s)" % (node.name, names))
    action.doAction(names.index("Press"))


def focused(root):
    """The focused node: the deepest of the focused chain (focus scopes report focus too)."""
    found = None
    for node in nodes(root):
        if node.getState().contains(pyatspi.STATE_FOCUSED):
            found = node
    return found


def key(app, keysym):
    """A key as the keyboard gives it; without a window manager the window under the pointer
    takes the keys, so the pointer goes there first."""
    frame = app.getChildAtIndex(0).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    pyatspi.Registry.generateMouseEvent(frame.x + frame.width // 2, frame.y + frame.height - 4, pyatspi.MOUSE_ABS)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)


def application_locale(pid):
    """The locale the application reports for its messages, asked on the accessibility bus."""
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                                GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 5000).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)

    def call(name, path, interface, method, args, reply):
        return bus.call_sync(name, path, interface, method, args, GLib.VariantType(reply),
                             Gio.DBusCallFlags.NONE, 5000).unpack()[0]
    for name in call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "ListNames", None, "(as)"):
        if not name.startswith(":"):
            continue
        try:
            if call("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                    "GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)), "(u)") == pid:
                return call(name, "/org/a11y/atspi/accessible/root", "org.a11y.atspi.Application", "GetLocale",
                            GLib.Variant("(u)", (5,)), "(s)")
        except GLib.Error:
            pass
    return ""


class Reader:
    """One client that stays connected and keeps what the application announced. It listens to
    nodes appearing only, so what it reads of a node it met before comes from its cache."""

    def __init__(self):
        self.heard = []
        pyatspi.Registry.registerEventListener(self.on_event, "object:state-changed:showing")

    def on_event(self, event):
        try:
            source = event.source
            if source.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_NOTIFICATION) \
                    and source.getState().contains(pyatspi.STATE_SHOWING):
                # A reader says a node's name first, as Orca does, then its description.
                self.heard.append(" ".join("%s %s" % (n.name, n.description) for n in nodes(source)))
        except Exception:
            pass


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def main():
    binary = sys.argv[-1]
    server = Sources()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    data = tempfile.TemporaryDirectory(prefix="vexlo-reader-")
    with open(os.path.join(data.name, "savedRepos"), "w") as f:
        json.dump(stored_list(server), f)
    # The pictures' cache too stays out of the user's folders.
    env = dict(os.environ, VEXLO_DATA_DIR=data.name, XDG_CACHE_HOME=os.path.join(data.name, "cache"),
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", LANG="C.UTF-8")
    app_process = subprocess.Popen([binary], env=env)
    failures = []

    def check(what, condition, timeout=TIMEOUT):
        try:
            wait(what, condition, timeout)
            return True
        except Failure as failure:
            failures.append(str(failure))
            return False

    try:
        reader = Reader()
        app = wait("the application on the accessibility bus", lambda: application(app_process.pid), 60)
        # A reader keeps what it read of each node, as a screen reader running its event loop does.
        app.set_cache_mask(Atspi.Cache.DEFAULT)
        refresh = wait("the refresh button", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "تحديث"), 60)
        wait("the first refresh", lambda: all(server.count(n) > 0 for n in SOURCES))
        locale = application_locale(app_process.pid)
        if not locale.startswith("ar"):
            failures.append("the application reports the locale %r, not Arabic" % locale)

        # Press on the toolbar's refresh button refreshes.
        before = server.count("Alpha")
        time.sleep(0.5)
        press(refresh)
        check("a refresh after Press on تحديث", lambda: server.count("Alpha") > before)

        # Three failures in a row: each alert is heard with its own message.
        for name in ["Beta", "Gamma", "Delta"]:
            server.failing = {name}
            press(refresh)
            message = "فشل في جلب الحزم من السورس: " + name
            alert = wait("the alert", lambda: next((n for n in nodes(app) if n.getRole() == pyatspi.ROLE_ALERT), None))
            check("the alert for " + name + " heard", lambda: any(message in h for h in reader.heard))
            reader.heard.clear()
            ok = wait("the alert's button", lambda: find(alert, pyatspi.ROLE_PUSH_BUTTON, "حسنًا"))
            press(ok)
            check("the alert closed by Press", lambda: not any(n.getRole() == pyatspi.ROLE_ALERT for n in nodes(app)))
            if any(n.getRole() == pyatspi.ROLE_ALERT for n in nodes(app)):
                break
        server.failing = set()

        rows = {n.name.split("،")[0]: n for n in nodes(app) if n.getRole() == pyatspi.ROLE_LIST_ITEM}
        # A row says it is pinned, and a failed one says why, as it is drawn.
        check("Alpha's row read as pinned", lambda: "مثبّت" in rows["Alpha"].name)
        check("Delta's row read with its failure",
              lambda: "فشل التحديث: لا يوجد فهرس حزم على هذا العنوان" in rows["Delta"].name
              and "فشل التحديث" not in rows["Beta"].name)
        failures.extend("a name with direction marks: " + repr(name) for name in marked(app))

        # The list's menu opens on Press and offers import and export.
        press(find(app, pyatspi.ROLE_PUSH_BUTTON, "قائمة السورسات"))
        check("the list menu's import item", lambda: any(n.name == "استيراد السورسات…" and n.getRole() == pyatspi.ROLE_MENU_ITEM
                                                         for n in nodes(app)))
        listMenu = next(n for n in nodes(app) if n.name == "استيراد السورسات…")
        listMenu.queryComponent().grabFocus()
        key(app, 0xff1b)  # Escape
        wait("the list menu closed", lambda: not any(n.getRole() == pyatspi.ROLE_MENU_ITEM for n in nodes(app)))

        # An open sheet hides the main screen from the reader.
        press(find(app, pyatspi.ROLE_PUSH_BUTTON, "إضافة سورس"))
        wait("the add sheet", lambda: find(app, pyatspi.ROLE_HEADING, "إضافة سورس جديد"))
        check("the main screen hidden behind the sheet",
              lambda: not any(n.getRole() == pyatspi.ROLE_LIST_ITEM for n in nodes(app)))
        key(app, 0xff1b)  # Escape
        wait("the main screen again", lambda: any(n.getRole() == pyatspi.ROLE_LIST_ITEM for n in nodes(app)))

        # Press on a source row, then on a card: the package screen reads its facts with labels.
        press(rows["Alpha"])
        card = wait("a card", lambda: next((n for n in nodes(app) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON
                                            and "com.example.one" in n.name), None))
        press(card)
        check("the version with its label on the package screen",
              lambda: any(n.name == "الإصدار: 1.1-8" for n in nodes(app) if n.getRole() == pyatspi.ROLE_LABEL))
        failures.extend("a name with direction marks: " + repr(name) for name in marked(app))
        for _ in range(2):
            back = wait("the back button", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "رجوع"))
            press(back)
            time.sleep(0.5)
        wait("the main screen", lambda: find(app, pyatspi.ROLE_PUSH_BUTTON, "تحديث"))

        # Delete from the row menu: the focus goes to the next row.
        gamma = wait("Gamma's row", lambda: next((n for n in nodes(app) if n.getRole() == pyatspi.ROLE_LIST_ITEM
                                                  and n.name.startswith("Gamma")), None))
        gamma.queryComponent().grabFocus()
        wait("Gamma's row focused", lambda: gamma.getState().contains(pyatspi.STATE_FOCUSED))
        key(app, 0xff67)  # Menu
        delete = wait("the row menu's delete item", lambda: next((n for n in nodes(app) if n.name == "حذف"
                                                                   and n.getRole() == pyatspi.ROLE_MENU_ITEM), None))
        press(delete)
        check("the next row focused after the delete",
              lambda: (lambda f: f is not None and f.name.startswith("Delta"))(focused(app)))
        check("the delete announced", lambda: any("تم حذف السورس «Gamma»" in h for h in reader.heard))

        # A link opened by a second start reaches this window: its add sheet opens.
        second = subprocess.run([binary, "vexlo://add?url=https://link.example/repo"], env=env, timeout=60)
        if second.returncode != 0:
            failures.append("the second start ended with status %d" % second.returncode)
        check("the add sheet opened by the link", lambda: find(app, pyatspi.ROLE_HEADING, "إضافة سورس جديد"))
    except Failure as failure:
        failures.append(str(failure))
    finally:
        alive = app_process.poll() is None
        if alive:
            app_process.send_signal(signal.SIGTERM)
            try:
                app_process.wait(20)
            except subprocess.TimeoutExpired:
                app_process.kill()
        else:
            failures.append("the application ended early with status %d" % app_process.returncode)
        server.shutdown()
        data.cleanup()

    for failure in failures:
        print("FAIL:", failure)
    print("%d passed, %d failed" % (0 if failures else 1, 1 if failures else 0))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
