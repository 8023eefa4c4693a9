"""Runs Orca with its debug log written line by line.

Orca writes that log in blocks, which would hold back the last utterances a test waits for.
  /usr/bin/python3 orca_lines.py LOG
"""
import builtins
import runpy
import sys

log = sys.argv[1]
plain_open = builtins.open


def line_open(file, mode="r", *args, **kwargs):
    if file == log and "w" in mode:
        return plain_open(file, mode, 1)
    return plain_open(file, mode, *args, **kwargs)


builtins.open = line_open
sys.argv = ["orca", "--debug-file", log]
runpy.run_path("/usr/bin/orca", run_name="__main__")
