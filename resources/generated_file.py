"""Writing of build-time generated files, shared by the resource scripts."""

import os


def write_if_changed(path, data):
    """Writes bytes to path unless it already holds them, so that an unchanged
    file keeps its time stamp and nothing downstream is rebuilt. The new
    content replaces the old one in a single rename."""
    try:
        with open(path, "rb") as existing:
            if existing.read() == data:
                return
    except OSError:
        pass
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as out:
        out.write(data)
    os.replace(temporary, path)
