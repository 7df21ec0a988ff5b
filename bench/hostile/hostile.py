"""Hostile refresh benchmark: a local server with good and hostile sources, a store of 200
sources that all hold earlier packages, and timed runs of `vexlo-cli refresh` over it."""
import argparse, asyncio, gzip, json, lzma, multiprocessing, os, random, socket, statistics
import subprocess, sys, tempfile, time, uuid

KINDS = ["refused", "silent", "stall_headers", "drip", "big_length", "big_stream", "bomb_gzip",
         "bomb_xz", "garbage", "html200", "redirect_loop", "bad_utf8"]
SOURCES, HOSTILE = 200, 40
MiB = 1 << 20


def bombs(cache):
    """Compressed streams that expand to 300 MiB of zeros, made once."""
    os.makedirs(cache, exist_ok=True)
    made = {}
    for name, opener in (("gz", gzip.open), ("xz", lzma.open)):
        path = os.path.join(cache, "bomb." + name)
        if not os.path.exists(path):
            with opener(path + ".tmp", "wb") as out:
                block = bytes(MiB)
                for _ in range(300):
                    out.write(block)
            os.rename(path + ".tmp", path)
        made[name] = open(path, "rb").read()
    return made


def serve(port_queue, corpus_files, cache, debian):
    payload = {"bomb_gzip": bombs(cache)["gz"], "bomb_xz": bombs(cache)["xz"]}
    if debian:
        payload["debian"] = open(debian, "rb").read()
    random.seed(12)
    payload["garbage"] = bytes(random.getrandbits(8) for _ in range(200_000))
    payload["html200"] = b"<!DOCTYPE html>\n<html><head><title>Parked</title></head><body>Package: x</body></html>\n"
    payload["bad_utf8"] = b"Package: com.example.bad\nDescription: \xff\xfe broken\nVersion: 1\n\n"
    good = [open(f, "rb").read() for f in corpus_files]

    async def handle(reader, writer):
        try:
            head = await reader.readuntil(b"\r\n\r\n")
            path = head.split(b" ")[1].decode()
            parts = path.strip("/").split("/")  # kind/number/Packages
            kind, number = parts[0], int(parts[1])

            def answer(body, status="200 OK", extra=""):
                writer.write(f"HTTP/1.1 {status}\r\nContent-Length: {len(body)}\r\n{extra}Connection: close\r\n\r\n".encode() + body)

            if kind == "good":
                answer(good[number % len(good)])
            elif kind == "debian":
                answer(payload["debian"])
            elif kind in payload:
                answer(payload[kind])
            elif kind == "redirect_loop":
                answer(b"", "302 Found", f"Location: /redirect_loop/{number + 1}/Packages\r\n")
            elif kind == "silent":
                await asyncio.sleep(3600)
            elif kind == "stall_headers":
                writer.write(b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
                await writer.drain()
                await asyncio.sleep(3600)
            elif kind == "drip":
                writer.write(b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n")
                for _ in range(100000):
                    await writer.drain()
                    writer.write(b"P")
                    await asyncio.sleep(1.0)
            elif kind == "big_length":
                writer.write(f"HTTP/1.1 200 OK\r\nContent-Length: {300 * MiB}\r\n\r\n".encode())
                block = bytes(MiB)
                for _ in range(300):
                    writer.write(block)
                    await writer.drain()
            elif kind == "big_stream":
                writer.write(b"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n")
                block = b"Package: x\n" * (MiB // 11)
                for _ in range(300):
                    writer.write(block)
                    await writer.drain()
            await writer.drain()
            writer.close()
        except (ConnectionError, asyncio.IncompleteReadError):
            pass

    async def main():
        # One port per source: a client keeps only a few connections to one host and port,
        # and the sources of the benchmark stand for sources on different servers.
        servers = [await asyncio.start_server(handle, "127.0.0.1", 0, backlog=64) for _ in range(SOURCES)]
        port_queue.put([s.sockets[0].getsockname()[1] for s in servers])
        await asyncio.gather(*(s.serve_forever() for s in servers))

    asyncio.run(main())


def closed_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def make_store(ports, refused_port, large=None, earlier=None):
    """200 sources holding one earlier package each; with `large` (a package list of Debian's
    size), sources 0 (hostile) and 1 (serving Debian's index) hold that list instead, and the
    good sources hold, besides, the packages of the index they serve (`earlier`, in the order of
    the corpus), as after an earlier refresh."""
    repos, kinds = [], {}
    hostile_at = set(range(0, SOURCES, SOURCES // HOSTILE))  # every fifth source
    h = 0
    for i in range(SOURCES):
        if i in hostile_at:
            kind = KINDS[h % len(KINDS)]
            h += 1
        else:
            kind = "debian" if large and i == 1 else "good"
        kinds[i] = kind
        host = f"127.0.0.1:{refused_port if kind == 'refused' else ports[i]}"
        base = f"http://{host}/{kind}/{i}/"
        old = {"id": str(uuid.uuid4()).upper(), "name": f"old.marker.{i}", "description": "earlier",
               "version": "0", "downloadURL": base + "old.deb", "architecture": "all", "fileSize": 1}
        packages = large if large and i < 2 else [old]
        if large and kind == "good":
            packages = packages + [dict(p, id=str(uuid.uuid4()).upper()) for p in earlier[i % len(earlier)]]
        repos.append({"id": str(uuid.uuid4()).upper(), "name": f"source {i}", "url": base,
                      "imageURL": base + "CydiaIcon.png", "packagesURL": base + "Packages", "packages": packages,
                      "isPinned": False, "lastUpdated": 700000000.0, "isFixed": False, "isUpdating": False,
                      "updateProgress": 0.0})
    return repos, kinds


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--corpus", required=True)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--cache", required=True)
    ap.add_argument("--debian", help="Debian's index: two sources of its size make the store about 50 MB")
    args = ap.parse_args()

    large, earlier = None, []
    if args.debian:
        r = subprocess.run([args.cli, "parse", args.debian, "--repo-url", "http://127.0.0.1/debian/"],
                           capture_output=True, check=True)
        large = json.loads(r.stdout)

    # Good sources serve the real indexes that read as UTF-8; their package counts as parsed.
    corpus, expected = [], []
    for d in sorted(os.listdir(args.corpus)):
        f = os.path.join(args.corpus, d, "Packages")
        r = subprocess.run([args.cli, "parse", f, "--count"], capture_output=True, text=True)
        if r.returncode == 0:
            corpus.append(f)
            expected.append(int(r.stdout.strip()))
            if large:
                r = subprocess.run([args.cli, "parse", f, "--repo-url", "http://127.0.0.1/good/"],
                                   capture_output=True, check=True)
                earlier.append(json.loads(r.stdout))

    bombs(args.cache)
    queue = multiprocessing.Queue()
    server = multiprocessing.Process(target=serve, args=(queue, corpus, args.cache, args.debian), daemon=True)
    server.start()
    ports = queue.get(timeout=300)
    refused_port = closed_port()

    walls, peaks, ok = [], [], True
    for run in range(args.runs):
        with tempfile.TemporaryDirectory() as data:
            repos, kinds = make_store(ports, refused_port, large, earlier)
            with open(os.path.join(data, "savedRepos"), "w") as f:
                json.dump(repos, f, separators=(",", ":"), ensure_ascii=False)
            store_mb = os.path.getsize(os.path.join(data, "savedRepos")) / 1e6
            timing = os.path.join(data, "time")
            start = time.monotonic()
            subprocess.run(["/usr/bin/time", "-o", timing, "-f", "%e %M", args.cli, "--data-dir", data, "refresh"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wall = time.monotonic() - start
            peak = int(open(timing).read().split()[-1]) / 1024
            stored = json.load(open(os.path.join(data, "savedRepos")))
            bad = []
            for i, repo in enumerate(stored):
                names = [p["name"] for p in repo["packages"]]
                if large and i < 2:
                    first_id = repo["packages"][0]["id"] if repo["packages"] else None
                    refreshed = first_id != large[0]["id"]
                    if len(names) != len(large) or refreshed != (kinds[i] == "debian"):
                        bad.append(f"large source {i} ({kinds[i]}) has {len(names)} packages, "
                                   + ("refreshed" if refreshed else "not refreshed"))
                elif kinds[i] == "good":
                    if len(names) != expected[i % len(corpus)] or f"old.marker.{i}" in names:
                        bad.append(f"good source {i} has {len(names)} packages")
                elif names != [f"old.marker.{i}"]:
                    bad.append(f"hostile source {i} ({kinds[i]}) lost its packages")
            ok = ok and not bad and wall <= 90 and peak <= 700
            walls.append(wall)
            peaks.append(peak)
            print(f"run {run + 1} (store {store_mb:.0f} MB): {wall:.1f} s, peak {peak:.0f} MiB, "
                  f"{sum(k == 'good' for k in kinds.values())} good sources all refreshed, "
                  f"{HOSTILE} hostile all kept" if not bad else f"run {run + 1}: {wall:.1f} s, peak {peak:.0f} MiB; "
                  + "; ".join(bad[:5]), flush=True)
    server.terminate()
    print(f"hostile refresh: median {statistics.median(walls):.1f} s (target 90 s), "
          f"median peak {statistics.median(peaks):.0f} MiB (target 700 MiB), max peak {max(peaks):.0f} MiB; "
          + ("targets met" if ok else "TARGETS MISSED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
