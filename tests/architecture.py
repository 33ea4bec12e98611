#!/usr/bin/env python3
"""The rooms' rule, read from the sources: the tools reach the program only through its door,
and the program uses neither the seam's hooks for the tools nor a header of the tools.

    architecture.py SOURCE_DIR

Prints each break as file:line: what, and ends with 1 if there is one."""

import pathlib
import re
import sys

SOURCES = {".h", ".hpp", ".cpp", ".cc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')
PROGRAM_HEADERS = ("shared/", "com232/", "gui/", "app/")
TOOL_HOOKS = {"platform/attach.h", "platform/follow.h", "platform/linkevents.h",
              "platform/overrides.h"}
# The two main()s sit on top of both rooms: there the tools are attached to the program, and
# the command line's main() hands the program's start to the command.
ATTACHES_THE_TOOLS = {("program/app/src/main.cpp", "extras/extras.h"),
                      ("program/app/src/service.cpp", "extras/extras.h"),
                      ("program/app/src/service.cpp", "cli/ServiceCommand.h")}
LINK_CALL = re.compile(r"target_link_libraries\s*\(([^)]*)\)", re.S)
TARGET_CALL = re.compile(r"add_(?:library|executable)\s*\(\s*([\w.+-]+)")


def sources(top, room):
    return sorted(p for p in (top / room).rglob("*") if p.suffix in SOURCES and p.is_file())


def includes(path):
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        match = INCLUDE.match(line)
        if match:
            yield number, match.group(1)


def lands_in(top, path, name, room):
    """The include names a file of the room, by a path relative to the including file."""
    target = (path.parent / name).resolve()
    return target.is_relative_to((top / room).resolve())


def tool_headers(top):
    """The names the tools' headers are included by: the folders of tools/*/include."""
    return {d.name + "/" for d in (top / "tools").glob("*/include/*") if d.is_dir()}


def program_targets(top):
    found = set()
    for lists in (top / "program").rglob("CMakeLists.txt"):
        found.update(TARGET_CALL.findall(lists.read_text()))
    return found - {"door"}


def tools_including_the_program(top):
    for path in sources(top, "tools"):
        for line, name in includes(path):
            if name.startswith(PROGRAM_HEADERS) or name.startswith("program/") or lands_in(
                    top, path, name, "program"):
                yield (f"{path.relative_to(top)}:{line}: includes {name}, a header of the "
                       "program; a tool includes <door/door.h> and no other")


def program_including_the_tools(top):
    headers = tool_headers(top)
    for path in sources(top, "program"):
        relative = path.relative_to(top).as_posix()
        for line, name in includes(path):
            if (relative, name) in ATTACHES_THE_TOOLS:
                continue
            if name in TOOL_HOOKS:
                yield (f"{relative}:{line}: includes {name}, a hook of the seam for the tools; "
                       "the program calls only the seam's C API")
            elif name.startswith(tuple(headers)) or name.startswith("tools/") or lands_in(
                    top, path, name, "tools"):
                yield f"{relative}:{line}: includes {name}, a header of the tools"


def tools_linking_the_program(top):
    targets = program_targets(top)
    for lists in sorted((top / "tools").rglob("CMakeLists.txt")):
        text = lists.read_text()
        for call in LINK_CALL.finditer(text):
            for word in re.finditer(r"[\w:.+-]+", call.group(1)):
                if word.group(0) in targets:
                    line = text.count("\n", 0, call.start(1) + word.start()) + 1
                    yield (f"{lists.relative_to(top)}:{line}: links {word.group(0)}, a target of "
                           "the program; the tools link door and no other")


def main():
    top = pathlib.Path(sys.argv[1]).resolve()
    breaks = [*tools_including_the_program(top), *program_including_the_tools(top),
              *tools_linking_the_program(top)]
    for line in breaks:
        print(line)
    print(f"{len(breaks)} break(s) of the rooms' rule" if breaks else "the rooms' rule holds")
    return 1 if breaks else 0


if __name__ == "__main__":
    sys.exit(main())
