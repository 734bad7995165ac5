#!/usr/bin/env python3
"""readme_examples.py - runs the README's examples as a user copies them from the project's root.

Every fenced block whose first line begins with "$ " is a transcript: each command runs in
bash from the project's root, with a clean environment, and must print what the README
shows after it ("  ..." ends what is compared of one command's output). The README's
neutral checkout path stands for the project's root and "build/default" for the build tree
under test. A C++ block with a main function is compiled against the library and run.

usage: readme_examples.py README ROOT BUILD_DIR CXX
"""
import os
import re
import subprocess
import sys
import tempfile

README_ROOT = "/home/dev/qzappinfo"


def blocks(text):
    """(language, first line number, lines) of each fenced block."""
    found, lines = [], text.split("\n")
    i = 0
    while i < len(lines):
        if lines[i].startswith("```"):
            language, start, body = lines[i][3:].strip(), i + 2, []
            i += 1
            while i < len(lines) and not lines[i].startswith("```"):
                body.append(lines[i])
                i += 1
            found.append((language, start, body))
        i += 1
    return found


def transcript(body, first):
    """(line number, command, expected lines) of each "$ " command in a block."""
    commands, i = [], 0
    while i < len(body):
        line_number, command = first + i, body[i][2:]
        i += 1
        # A command continues while its line ends with a pipe or a backslash.
        while command.rstrip().endswith(("|", "\\")) and i < len(body):
            command += "\n" + body[i]
            i += 1
        expected = []
        while i < len(body) and not body[i].startswith("$ "):
            expected.append(body[i])
            i += 1
        commands.append((line_number, command, expected))
    return commands


def matches(expected, actual):
    for index, line in enumerate(expected):
        if line.strip() == "...":
            return True
        if index >= len(actual) or actual[index] != line:
            return False
    return len(actual) == len(expected)


def main():
    readme, root, build, cxx = sys.argv[1:5]
    root, build = os.path.realpath(root), os.path.realpath(build)
    environment = {"PATH": "/usr/bin:/bin", "HOME": os.environ.get("HOME", "/root"), "LC_ALL": "C.UTF-8"}
    failures, ran = [], 0
    for language, first, body in blocks(open(readme, encoding="utf-8").read()):
        if body and body[0].startswith("$ "):
            for line_number, command, expected in transcript(body, first):
                command = command.replace("build/default", build)
                expected = [line.replace(README_ROOT, root) for line in expected]
                result = subprocess.run(["bash", "-c", command], cwd=root, env=environment,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                ran += 1
                actual = result.stdout.rstrip("\n").split("\n") if result.stdout else []
                if not matches(expected, actual):
                    failures.append(f"README line {line_number}: {command}\n  expected:\n    "
                                    + "\n    ".join(expected) + "\n  printed:\n    " + "\n    ".join(actual))
        elif language == "cpp" and any("int main" in line for line in body):
            with tempfile.TemporaryDirectory() as work:
                source, program = os.path.join(work, "example.cpp"), os.path.join(work, "example")
                with open(source, "w", encoding="utf-8") as out:
                    out.write("\n".join(body) + "\n")
                compile_command = [cxx, "-std=c++17", "-I", os.path.join(root, "appinfo"),
                                   "-I", os.path.join(root, "pathmanager"), "-I", os.path.join(build, "include"),
                                   source, "-o", program, "-L", build, "-lQZAppInfo", "-Wl,-rpath," + build]
                built = subprocess.run(compile_command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
                ran += 1
                if built.returncode != 0:
                    failures.append(f"README line {first}: the C++ example does not compile:\n{built.stdout}")
                    continue
                started = subprocess.run([os.path.join(root, "demo/sandbox/qz/bin/linux64/ryndel")],
                                         executable=program, cwd=root, env=environment)
                if started.returncode != 0:
                    failures.append(f"README line {first}: the C++ example exits {started.returncode} "
                                    "when started as the demo tree's ryndel")
    for failure in failures:
        print(failure, file=sys.stderr)
    print(f"{ran} examples run, {len(failures)} failed")
    return 1 if failures or ran == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
