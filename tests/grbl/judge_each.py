#!/usr/bin/env python3
"""Runs the grbl-check folder's judge.py on many programs in one process, since
starting Python costs more than judging a small program.

  judge_each.py GRBL_CHECK_DIR LIST

LIST holds one judge.py command line a line, its arguments separated by tabs.
For each line this prints "== <judge.py's exit status>", then what judge.py printed."""
import contextlib, io, sys

sys.path.insert(0, sys.argv[1])
import judge

for line in open(sys.argv[2], encoding="utf-8"):
    sys.argv = ["judge.py"] + line.rstrip("\n").split("\t")
    out = io.StringIO()
    with contextlib.redirect_stdout(out):
        try:
            status = judge.main()
        except SystemExit as e:
            status = e.code
    print("== %s" % status)
    sys.stdout.write(out.getvalue())
