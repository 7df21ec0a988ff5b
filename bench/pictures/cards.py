"""Big pictures on many cards: one source of 1,000 packages, each with an icon of its own address
that serves a 5600 x 5600 PNG, shown in the all-packages sheet of the real application under
its own X server and scrolled from the first card to the last with the mouse wheel; then the
same with 4000 x 4000 pictures, which are just small enough to be decoded (at the card's size).
Prints the peak resident memory of the process. Target: under 400 MiB."""
import argparse, http.server, json, os, shutil, statistics, struct, subprocess, sys, tempfile
import threading, time, uuid, zlib

CARDS = 1000
MiB = 1 << 20


def png(side):
    """A grey picture, small on the wire and huge once decoded."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    row = b"\x00" + b"\x80" * (side * 3)
    body = zlib.compress(row * side, 9)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", body) + chunk(b"IEND", b""))


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        server = self.server
        if self.path.endswith("/Packages"):
            body = server.index
        elif "/icons/" in self.path:
            body = server.picture
        else:
            self.send_error(404)
            return
        self.send_response(200)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def peak_kib(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def run_once(app, side):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    base = "http://127.0.0.1:%d/big/" % server.server_address[1]
    server.picture = png(side)
    server.index = "".join(
        "Package: com.example.big%04d\nName: Big %d\nVersion: 1.0-%d\nArchitecture: iphoneos-arm64\n"
        "Icon: %sicons/%d.png\nFilename: debs/%d.deb\nSize: 1000\n\n" % (i, i, i, base, i, i)
        for i in range(CARDS)).encode()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    data = tempfile.mkdtemp(prefix="vexlo-cards-")
    with open(os.path.join(data, "savedRepos"), "w") as f:
        json.dump([{"id": str(uuid.uuid4()).upper(), "name": "big", "url": base, "imageURL": "",
                    "packagesURL": base + "Packages", "packages": [], "isPinned": False, "lastUpdated": 0,
                    "isFixed": False, "isUpdating": False, "updateProgress": 0}], f)
    display = ":%d" % (90 + os.getpid() % 100)
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1000x24", "-nolisten", "tcp"])
    time.sleep(1)
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", VEXLO_DATA_DIR=data,
               XDG_CACHE_HOME=os.path.join(data, "cache"), LANG="C.UTF-8")
    app_process = subprocess.Popen([app], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    xdo = lambda *args: subprocess.run(["xdotool"] + list(args), env=env, check=False)
    try:
        time.sleep(8)  # start and first refresh
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(app_process.pid)], env=env,
                               capture_output=True, text=True).stdout.split()
        centre = ("200", "500")
        if found:
            xdo("windowfocus", "--sync", found[-1])
            shape = dict(line.split("=", 1) for line in subprocess.run(
                ["xdotool", "getwindowgeometry", "--shell", found[-1]], env=env, capture_output=True,
                text=True).stdout.split())
            centre = (str(int(shape["X"]) + int(shape["WIDTH"]) // 2), str(int(shape["Y"]) + int(shape["HEIGHT"]) // 2))
        xdo("key", "ctrl+shift+a")
        time.sleep(3)
        xdo("mousemove", *centre)
        # Down to the last card, a few rows at a time, letting pictures arrive on the way.
        for _ in range(330):
            xdo("click", "--repeat", "5", "--delay", "15", "5")
            time.sleep(0.1)
        time.sleep(3)
        if os.environ.get("CARDS_SHOT"):
            subprocess.run(["import", "-window", "root", os.environ["CARDS_SHOT"]], env=env, check=False)
        alive = app_process.poll() is None
        return peak_kib(app_process.pid) / 1024 if alive else None
    finally:
        app_process.kill()
        app_process.wait()
        xvfb.kill()
        xvfb.wait()
        server.shutdown()
        shutil.rmtree(data, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", required=True)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    missed = False
    # Over the decoding limit (a failed picture), and just under it (decoded at the card's size).
    for side in (5600, 4000):
        peaks = []
        for run in range(args.runs):
            peak = run_once(args.app, side)
            if peak is None:
                print("cards: run %d: the application ended early" % (run + 1))
                return 1
            print("cards: %d px, run %d: peak resident memory %.0f MiB" % (side, run + 1, peak))
            peaks.append(peak)
        median = statistics.median(peaks)
        print("cards: %d cards with %dx%d icons: median peak %.0f MiB (target < 400 MiB)" % (CARDS, side, side, median))
        missed = missed or median >= 400
    return 1 if missed else 0


if __name__ == "__main__":
    sys.exit(main())
