#!/usr/bin/env python3
"""Ctrl+C typed at a terminal stops the Windows build's scan under Wine.

The Windows program runs under Wine with its standard input and standard error on a
pseudo-terminal, as a user's terminal would hold them; Wine's console turns the Ctrl+C byte
typed there into a console control event, the path a real console takes. Standard output goes
to a file and is checked for the stopped summary.

Usage: interrupt_under_wine.py PROGRAM.exe WINE_RUN REPORT.xml
Writes a GoogleTest-style report so the test command counts the case, and exits 1 on failure.
"""
import os
import pathlib
import pty
import select
import shutil
import subprocess
import sys
import tempfile
import time
from xml.sax.saxutils import quoteattr

CASE = "CtrlCStopsTheScanAndReportsWhatWasFound"


def windows_path(path):
    """Wine's drive Z: is the Unix root."""
    return "Z:" + str(path).replace("/", "\\")


def make_wide_tree(root, folders):
    """`folders` folders of 1,000 empty files each."""
    for f in range(folders):
        folder = root / f"f{f}"
        folder.mkdir(parents=True)
        for i in range(1000):
            (folder / f"{i}.txt").touch()


def run_and_interrupt(program, wine_run, root, history, out_file):
    """Runs the program on `root` and types Ctrl+C at the first progress line.

    Answers the exit code and everything that reached the terminal."""
    master, slave = pty.openpty()
    environment = dict(os.environ, ROZOVIZOV_DATA_FOLDER=windows_path(history))
    with open(out_file, "wb") as out:
        child = subprocess.Popen(
            [wine_run, program, "--threads", "1", "--top", "3", windows_path(root)],
            stdin=slave, stdout=out, stderr=slave, env=environment, start_new_session=True)
    os.close(slave)
    terminal = b""
    typed = False
    deadline = time.monotonic() + 120
    try:
        while time.monotonic() < deadline:
            ready, _, _ = select.select([master], [], [], 0.2)
            if not ready:
                if child.poll() is not None:
                    break
                continue
            try:
                got = os.read(master, 4096)
            except OSError:  # the terminal closed with the last process holding it
                break
            if not got:
                break
            terminal += got
            if not typed and "Scanning…".encode() in terminal:
                os.write(master, b"\x03")
                typed = True
        else:
            child.kill()
    finally:
        os.close(master)
    return child.wait(timeout=30), terminal.decode("utf-8", "replace")


def check(program, wine_run, scratch):
    """Answers the list of failures, empty when the case passed."""
    history = scratch / "history"
    history.mkdir()
    history_file = history / "scan-history.txt"
    out_file = scratch / "stdout.txt"
    # The scan must outlast the first progress line; a fast machine gets a larger tree.
    folders = 0
    for grow in (40, 80, 160):
        make_wide_tree(scratch / "tree" / str(grow), grow)
        folders += grow
        # A run that completed recorded itself; only the stopped one counts.
        history_file.unlink(missing_ok=True)
        code, terminal = run_and_interrupt(program, wine_run, scratch / "tree", history, out_file)
        if code != 0:
            break
    out = out_file.read_text(encoding="utf-8", errors="replace")
    failures = []
    if code != 130:
        failures.append(f"exit code {code}, expected 130")
    if not out.startswith("Scan stopped · "):
        failures.append("standard output does not start with the stopped status line")
    if "\nFile kinds" not in out:
        failures.append("the stopped summary has no file kinds table")
    if f"{folders},000 files" in out:
        failures.append("the stop came after the end of the scan")
    if "Scanning… " not in terminal:
        failures.append("no progress line reached the terminal")
    if history_file.exists():
        failures.append("a stopped scan was recorded in the history")
    if failures:
        failures.append("standard output:\n" + out + "\nterminal:\n" + terminal)
    return failures


def write_report(report, failures):
    report.parent.mkdir(parents=True, exist_ok=True)
    body = "".join(f"<failure message={quoteattr(text)}/>" for text in failures)
    report.write_text(
        '<?xml version="1.0" encoding="UTF-8"?>\n'
        f'<testsuites><testsuite name="CliUnderWine"><testcase name="{CASE}">{body}'
        "</testcase></testsuite></testsuites>\n",
        encoding="utf-8")


def main():
    program, wine_run, report = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
    # Memory-backed when there is such a folder, so the tree is quick to make.
    shm = pathlib.Path("/dev/shm")
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="rozovizov-wine-interrupt-",
                                            dir=shm if shm.is_dir() else None))
    try:
        failures = check(program, wine_run, scratch)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    write_report(report, failures)
    for text in failures:
        print(text, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
