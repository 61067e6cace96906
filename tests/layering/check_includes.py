#!/usr/bin/env python3
"""Fails when a source file includes a header of a folder that its own folder may not depend on.

Front ends depend on desktop, desktop and cli on engine, engine on metastock; inside engine each part
depends only on the parts before it: text, job, input, directory, run."""
import pathlib
import re
import sys

ALLOWED = {
    "metastock": {"metastock"},
    "engine": {"engine", "metastock"},
    "desktop": {"desktop", "engine", "metastock"},
    "cli": {"cli", "engine", "metastock"},
    "controls": {"controls", "res"},
    "dialogs": {"dialogs", "controls", "desktop", "engine", "metastock", "res"},
    "app": {"app", "dialogs", "controls", "desktop", "engine", "metastock", "res"},
    "win32": {"win32", "desktop", "engine", "metastock", "res"},
}
ENGINE_PARTS = ["text", "job", "input", "directory", "run"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def faults(root):
    for folder, allowed in ALLOWED.items():
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".rc"):
                continue
            relative = path.relative_to(root)
            for header in INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")):
                parts = header.split("/")
                if len(parts) < 2:
                    continue
                if parts[0] not in allowed:
                    yield f"{relative} includes {header}"
                elif folder == "engine" and parts[0] == "engine":
                    own = relative.parts[1]
                    if own not in ENGINE_PARTS or len(parts) < 3 or parts[1] not in ENGINE_PARTS:
                        yield f"{relative} includes {header}, outside the engine's parts"
                    elif ENGINE_PARTS.index(parts[1]) > ENGINE_PARTS.index(own):
                        yield f"{relative} includes {header}, a later part of the engine"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    found = list(faults(root))
    for fault in found:
        print(fault)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
