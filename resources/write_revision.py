#!/usr/bin/python3
"""Writes the revision text shown on the Preference tab.

Usage: write_revision.py SOURCE_DIR OUTPUT_FILE

The text is `git describe --always --dirty` of SOURCE_DIR, or "unknown" when
git is missing or SOURCE_DIR is not a repository with a commit. The output is
rewritten only when the text changes, so that an unchanged revision does not
rebuild the resources on every build.
"""

import os
import subprocess
import sys

from generated_file import write_if_changed


def describe(source_dir):
    env = dict(os.environ)
    # Others may commit in the same checkout while we build: never take the
    # index lock just to refresh stat information.
    env["GIT_OPTIONAL_LOCKS"] = "0"
    try:
        result = subprocess.run(
            ["git", "-C", source_dir, "describe", "--always", "--dirty"],
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
            env=env,
            check=False,
            timeout=60,
        )
    except (OSError, subprocess.SubprocessError):
        return "unknown"
    text = result.stdout.decode("utf-8", "replace").strip()
    if result.returncode != 0 or not text:
        return "unknown"
    return text


def main(argv):
    if len(argv) != 3:
        sys.exit("usage: write_revision.py SOURCE_DIR OUTPUT_FILE")
    write_if_changed(argv[2], (describe(argv[1]) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main(sys.argv)
