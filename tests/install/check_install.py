#!/usr/bin/env python3
"""check_install.py BUILD DATA: installs BUILD into a fresh prefix and checks what a desktop, man
and a user see there; then builds the Debian package and checks its fields and contents."""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

APP_ID = "example.quorvel.splicora"
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=300, **kw)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24]) if head[:8] == b"\x89PNG\r\n\x1a\n" else None


def check_tree(prefix, data):
    share = os.path.join(prefix, "share")
    desktop = os.path.join(share, "applications", APP_ID + ".desktop")
    metainfo = os.path.join(share, "metainfo", APP_ID + ".metainfo.xml")
    r = run(["desktop-file-validate", desktop])
    check(r.returncode == 0 and not r.stdout.strip(), "desktop-file-validate: " + r.stdout)
    entry = open(desktop).read()
    check("\nExec=splicora %F\n" in entry, "Exec line")
    mimes = re.search(r"^MimeType=(.*)$", entry, re.M).group(1).split(";")
    for mime in ("video/x-ms-wmv", "audio/x-ms-wma", "video/x-ms-asf"):
        check(mime in mimes, "MimeType lacks " + mime)
    r = run(["appstreamcli", "validate", "--no-net", "--explain", metainfo])
    check(r.returncode == 0, "appstreamcli validate: " + r.stdout + r.stderr)
    info = open(metainfo).read()
    check(f"<id>{APP_ID}</id>" in info and f">{APP_ID}.desktop</launchable>" in info,
          "metainfo id and launchable")
    check(re.search(r'<release version="[\d.]+" date="\d{4}-\d\d-\d\d"', info) is not None,
          "metainfo release")
    check("<image>https://" in info, "metainfo screenshot")
    icon = re.search(r"^Icon=(.*)$", entry, re.M).group(1)
    for size in (16, 32, 48, 64, 128, 256):
        path = os.path.join(share, "icons", "hicolor", f"{size}x{size}", "apps", icon + ".png")
        check(os.path.exists(path) and png_size(path) == (size, size), "icon " + path)
    for page in ("splicora-join", "asftool"):
        path = os.path.join(share, "man", "man1", page + ".1.gz")
        r = run(["man", "--warnings", "-l", path], env=dict(os.environ, MANWIDTH="80"))
        check(r.returncode == 0 and page in r.stdout and not r.stderr.strip(),
              f"man page {page}: {r.stderr}")
    for folder in ("language/English.ini", "help/Introduction.htm"):
        check(os.path.exists(os.path.join(share, "splicora", folder)), "missing " + folder)

    # Every program finds the runtime through its own relative rpath.
    lib = os.path.realpath(os.path.join(prefix, "lib", "splicora", "libwmvcore.so"))
    for program in ("splicora", "splicora-join", "asftool", "kolvex"):
        path = os.path.join(prefix, "bin", program)
        dynamic = run(["readelf", "-d", path]).stdout
        check("[$ORIGIN/../lib/splicora:$ORIGIN]" in dynamic, program + " rpath: " + dynamic)
        if program != "kolvex":
            found = re.search(r"libwmvcore\.so => (\S+)", run(["ldd", path]).stdout)
            check(found is not None and os.path.realpath(found.group(1)) == lib,
                  program + " finds the runtime: " + (found.group(1) if found else "nothing"))


def check_programs(prefix, data, scratch):
    bin_dir = os.path.join(prefix, "bin")
    out = os.path.join(scratch, "joined.wmv")
    r = run([os.path.join(bin_dir, "splicora-join"), out,
             os.path.join(data, "av_wmv2_wma2_meta.wmv"), os.path.join(data, "av_part2.wmv")])
    check(r.returncode == 0, "installed splicora-join: " + r.stderr)
    r = run(["ffmpeg", "-v", "error", "-i", out, "-f", "null", "-"])
    check(r.returncode == 0 and not r.stderr.strip(), "ffmpeg decodes the join: " + r.stderr)
    r = run([os.path.join(bin_dir, "asftool"), "info", out])
    check(r.returncode == 0, "installed asftool: " + r.stderr)
    r = run([os.path.join(bin_dir, "kolvex")], env=dict(os.environ, DISPLAY=""))
    check(r.returncode == 0 and not r.stderr.strip(), "installed kolvex: " + r.stderr)


def check_window(prefix, data, scratch):
    """The installed window: its language files (the saved name is kept) and its guide (Help)."""
    if not os.environ.get("DISPLAY") or not shutil.which("xdotool"):
        print("window: no display or no xdotool, not checked")
        return
    config = os.path.join(scratch, "config")
    os.makedirs(os.path.join(config, "Quorvel"))
    settings = os.path.join(config, "Quorvel", "splicora.ini")
    with open(settings, "w") as f:
        f.write("[Option]\nCurrentLanguage=German\n")
    fake_bin = os.path.join(scratch, "fakebin")
    os.makedirs(fake_bin)
    opened = os.path.join(scratch, "opened.txt")
    with open(os.path.join(fake_bin, "xdg-open"), "w") as f:
        f.write(f'#!/bin/sh\necho "$@" >> "{opened}"\n')
    os.chmod(os.path.join(fake_bin, "xdg-open"), 0o755)
    env = dict(os.environ, XDG_CONFIG_HOME=config, HOME=scratch,
               PATH=fake_bin + os.pathsep + os.environ["PATH"])
    window = subprocess.Popen([os.path.join(prefix, "bin", "splicora"),
                               os.path.join(data, "av_wmv2_wma2_meta.wmv")], env=env)
    try:
        found = run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Splicora$"])
        wid = found.stdout.split()[0] if found.stdout.split() else None
        check(wid is not None, "the installed window did not show")
        if wid:
            # The desktop matches the window to its entry by the window class.
            wm_class = run(["xprop", "-id", wid, "WM_CLASS"]).stdout
            check(f'"{APP_ID}"' in wm_class, "window class: " + wm_class)
            run(["xdotool", "windowfocus", "--sync", wid])
            # Focus starts on Add WMV; Tab goes as the window reads: Help is nine steps on, Exit
            # two more.
            run(["xdotool", "key", "--delay", "100"] + ["Tab"] * 9 + ["space"])
            for _ in range(50):
                if os.path.exists(opened):
                    break
                time.sleep(0.1)
            run(["xdotool", "key", "--delay", "100"] + ["Tab"] * 2 + ["space"])
        window.wait(timeout=30)
    except subprocess.TimeoutExpired:
        window.kill()
        check(False, "the installed window did not close with Exit")
    guide = os.path.join(prefix, "share", "splicora", "help", "Introduction.htm")
    check(os.path.exists(opened) and open(opened).read().strip() == guide,
          "Help opens the installed guide: " + (open(opened).read() if os.path.exists(opened)
                                                 else "nothing opened"))
    # With its language files found, the window saves the name it loaded ("english" otherwise).
    saved = open(settings).read()
    check(re.search(r'^CurrentLanguage="German"$', saved, re.M) is not None,
          "the installed window's language: " + saved)


def check_package(build, scratch):
    packages = os.path.join(scratch, "packages")
    r = run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
             "-B", packages])
    check(r.returncode == 0, "cpack: " + r.stdout + r.stderr)
    debs = [f for f in os.listdir(packages) if f.endswith(".deb")] if r.returncode == 0 else []
    check(len(debs) == 1, "one package: %s" % debs)
    if not debs:
        return
    deb = os.path.join(packages, debs[0])
    fields = run(["dpkg-deb", "-f", deb]).stdout
    depends = re.search(r"^Depends: (.*)$", fields, re.M)
    check(depends is not None, "Depends field: " + fields)
    if depends:
        names = [d.strip().split()[0] for d in depends.group(1).split(",")]
        for needed in ("libc6", "libstdc++6", "libwxgtk3.2-1"):
            check(needed in names, f"Depends lacks {needed}: {depends.group(1)}")
    check(re.search(r"^Recommends: .*xdg-utils", fields, re.M) is not None, "Recommends xdg-utils")
    check(re.search(r"^Package: splicora$", fields, re.M) is not None, "Package name")
    # Unpacked into a scratch root, the packaged programs run from there.
    root = os.path.join(scratch, "root")
    r = run(["dpkg-deb", "-x", deb, root])
    check(r.returncode == 0, "dpkg-deb -x: " + r.stderr)
    usr = os.path.join(root, "usr")
    check_tree(usr, None)
    r = run([os.path.join(usr, "bin", "splicora-join"), "--help"])
    check(r.returncode == 0 and "usage" in r.stdout, "packaged splicora-join runs: " + r.stderr)


def main():
    build, data = sys.argv[1:3]
    scratch = tempfile.mkdtemp(prefix="splicora-install-")
    try:
        prefix = os.path.join(scratch, "prefix")
        r = run(["cmake", "--install", build, "--prefix", prefix])
        check(r.returncode == 0, "cmake --install: " + r.stdout + r.stderr)
        check_tree(prefix, data)
        check_programs(prefix, data, scratch)
        check_window(prefix, data, scratch)
        check_package(build, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
