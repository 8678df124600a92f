#!/usr/bin/python3
"""Runs every command and code example of README.md, as written, in a fresh
clone of the current commit, and compares what it prints with what the README
shows. Run it with Debian's /usr/bin/python3 from anywhere in the repository:

    /usr/bin/python3 tests/docs/check_readme.py [--keep]

The README's convention (see blocks.py):

- ```console blocks are shell transcripts: `$ command`, its output below
  (standard output and standard error together, as a terminal shows them),
  and `...` for lines left out. The commands run one after another in one
  shell state (exported variables and the working directory carry over),
  from the clone's top folder, with the programs built in build/ on PATH as
  if installed.
- ```r blocks are R console transcripts (`> `, `+ `), run as one fresh
  `R --vanilla` session each, with options(width = 100) set first (not
  shown) so that data frames are printed as in the README.
- ```python blocks are Python console transcripts (`>>> `, `... `), run as
  one fresh interactive session each, in the virtual environment that the
  README's `python3 -m venv ... DIR` command made.
- The indented blocks under "Build from source" are the two set-up commands,
  one line each, without output (packaging/prove_release.sh reads them by
  their headings). The first is run with answers that end the dialogue, and
  must leave both build/varve-convert and build/varve-batch runnable.

Lines are compared without the blanks at their ends and with CR LF as LF.
R packages go to a library in a temporary folder (R_LIBS), Python packages
to the README's virtual environment inside the clone: nothing is installed on
the system. Blocks that are not run are listed in NOT_RUN, with the reason;
any other block the script cannot run is a failure.
"""

import os
import pathlib
import shlex
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
import blocks  # noqa: E402

NOT_RUN = {
    # Installs packages as root, then builds and runs every test, this
    # script's among them: hours, and it would run itself.
    ".ci/run": "the whole of CI, which runs this script",
}

# What the first set-up command's dialogue is given: NE 4282, then no more.
DIALOGUE_ANSWERS = "1\n4282\n0\n"
R_WIDTH = 100

PYTHON_SESSION = r"""
import code, sys
sys.stderr = sys.stdout
console = code.InteractiveConsole(filename="<stdin>")
for source in sys.stdin.read().split("\0"):
    lines = source.split("\n")
    for number, line in enumerate(lines):
        print((">>> " if number == 0 else "... ") + line, flush=True)
        more = console.push(line)
    if more:
        console.push("")
"""


class Failure(Exception):
    pass


def run(command, cwd, env, stdin="", shell_state=None):
    """Runs a shell command as the README gives it; standard output and
    standard error together. With `shell_state` (a folder), the exported
    variables and the working directory of earlier commands carry over."""
    if shell_state is not None:
        state = shell_state / "exports"
        where = shell_state / "cwd"
        command = (
            f"[ -f {shlex.quote(str(state))} ] && source {shlex.quote(str(state))}\n"
            f"[ -f {shlex.quote(str(where))} ] && cd \"$(cat {shlex.quote(str(where))})\"\n"
            f"{{\n{command}\n}}\n"
            "status=$?\n"
            f"export -p > {shlex.quote(str(state))}\n"
            f"pwd > {shlex.quote(str(where))}\n"
            "exit $status\n"
        )
    done = subprocess.run(
        ["bash", "-c", command], cwd=cwd, env=env, input=stdin, text=True,
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return done.returncode, blocks.normalized(done.stdout)


def check(readme_block, name, expected, actual):
    if not blocks.matches(expected, actual):
        raise Failure(f"README.md line {readme_block.line}: {name}\n"
                      + blocks.difference(expected, actual))


def set_up(block, clone, env):
    """The two set-up commands: the first builds both programs and starts the
    interactive one; the second is listed in NOT_RUN."""
    for command in block.lines:
        if command in NOT_RUN:
            print(f"not run: {command} ({NOT_RUN[command]})")
            continue
        if "build/varve-convert" not in command:
            raise Failure(f"README.md line {block.line}: an indented command this script "
                          f"does not know: {command}")
        print(f"run: {command}", flush=True)
        status, output = run(command, clone, env, stdin=DIALOGUE_ANSWERS)
        if status != 0 or not output or output[-1] != " Select NO (0) or YES (1)?":
            raise Failure(f"README.md line {block.line}: {command} ended with status "
                          f"{status}:\n" + "\n".join(output[-20:]))
        for program in ("varve-convert", "varve-batch"):
            status, output = run(f"build/{program} --version", clone, env)
            if status != 0 or not output or not output[0].startswith(program + " "):
                raise Failure(f"the first set-up command left build/{program} unrunnable: "
                              f"status {status}, {output}")


def console(block, clone, env, shell_state):
    for step in blocks.console_steps(block):
        print(f"run: {step.command}", flush=True)
        status, output = run(step.command, clone, env, shell_state=shell_state)
        check(block, step.command, step.output, output)


def r_session(block, clone, env):
    steps = blocks.r_steps(block)
    script = f"options(width = {R_WIDTH})\n" + "".join(s.command + "\n" for s in steps)
    print(f"run: R, {len(steps)} expressions", flush=True)
    done = subprocess.run(["R", "--vanilla", "--quiet"], cwd=clone, env=env, input=script,
                          text=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    actual = blocks.normalized(done.stdout)
    # R echoes the width set first, and ends with the prompt for more.
    if actual[:1] == [f"> options(width = {R_WIDTH})"]:
        actual = actual[1:]
    if actual[-1:] == [">"]:
        actual = actual[:-1]
    expected = [line for s in steps for line in s.source + s.output]
    check(block, "the R session", expected, actual)


def python_session(block, clone, env, python):
    if python is None:
        raise Failure(f"README.md line {block.line}: a Python block before any "
                      "`python3 -m venv` command")
    steps = blocks.python_steps(block)
    print(f"run: Python, {len(steps)} statements", flush=True)
    done = subprocess.run([str(python), "-c", PYTHON_SESSION], cwd=clone, env=env,
                          input="\0".join(s.command for s in steps), text=True,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    expected = [line for s in steps for line in s.source + s.output]
    check(block, "the Python session", expected, blocks.normalized(done.stdout))


def run_block(block, clone, env, work, python):
    """Runs one block; gives the virtual environment's python once a command
    has made it."""
    if block.kind == "indented":
        set_up(block, clone, env)
    elif block.kind == "console":
        for step in blocks.console_steps(block):
            words = step.command.split()
            if "-m" in words and "venv" in words:
                python = clone / words[-1] / "bin" / "python"
        console(block, clone, env, work / "shell")
    elif block.kind == "r":
        r_session(block, clone, env)
    elif block.kind == "python":
        python_session(block, clone, env, python)
    else:
        raise Failure(f"README.md line {block.line}: a block of kind {block.kind!r} "
                      "that this script does not run")
    return python


def main():
    keep = "--keep" in sys.argv[1:]
    repository = pathlib.Path(__file__).resolve().parents[2]
    commit = subprocess.run(["git", "-C", str(repository), "rev-parse", "HEAD"],
                            check=True, text=True, stdout=subprocess.PIPE).stdout.strip()
    work = pathlib.Path(tempfile.mkdtemp(prefix="check-readme-"))
    clone = work / "varve-convert"
    started = time.monotonic()
    try:
        subprocess.run(["git", "clone", "--quiet", "--no-checkout", str(repository), str(clone)],
                       check=True)
        subprocess.run(["git", "-C", str(clone), "checkout", "--quiet", "--detach", commit],
                       check=True)
        print(f"check_readme: commit {commit[:12]} in {clone}")
        (work / "r-library").mkdir()
        (work / "shell").mkdir()
        env = dict(os.environ)
        env["PATH"] = f"{clone / 'build'}:{env['PATH']}"
        env["R_LIBS"] = str(work / "r-library")
        env.pop("R_LIBS_USER", None)
        env["HOME"] = str(work)
        env.pop("PYTHONPATH", None)
        python = None
        failures = []
        for block in blocks.blocks((clone / "README.md").read_text()):
            try:
                python = run_block(block, clone, env, work, python)
            except Failure as failure:
                failures.append(str(failure))
        if failures:
            raise Failure("\n".join(failures))
    except Failure as failure:
        print(f"check_readme: FAILED\n{failure}", file=sys.stderr)
        return 1
    finally:
        print(f"check_readme: {time.monotonic() - started:.0f} s")
        if keep:
            print(f"check_readme: kept {work}")
        else:
            subprocess.run(["rm", "-rf", str(work)])
    print("check_readme: every block of README.md gives what it shows")
    return 0


if __name__ == "__main__":
    sys.exit(main())
