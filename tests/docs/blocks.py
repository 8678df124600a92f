"""The code blocks of a Markdown file, and the transcripts they hold.

A fenced block's info string says what it holds:

- `console`: a shell transcript. A line starting with `$ ` is a command (a
  trailing backslash continues it on the next line); the lines below it, up to
  the next command, are its output, standard output and standard error as a
  terminal shows them. A line that is exactly `...` stands for any number of
  output lines.
- `r`: an R console transcript: `> ` starts an expression, `+ ` continues it,
  every other line is output.
- `python`: a Python console transcript: `>>> ` starts a statement, `... `
  continues it, every other line is output.

An indented block (four spaces, after a blank line) holds commands without
output, one a line. Any other block is returned with its info string, for the
caller to refuse or to list as not run.
"""

import dataclasses
import re


@dataclasses.dataclass
class Block:
    """One code block: its kind (the fenced block's info string, or
    `indented`), its first line's number in the file (from 1), its lines."""

    kind: str
    line: int
    lines: list


@dataclasses.dataclass
class Step:
    """One command or expression of a transcript and the output shown below
    it; `source` keeps the prompts, as written."""

    command: str
    output: list
    source: list


def blocks(text):
    """Every code block of Markdown `text`, in order."""
    found = []
    lines = text.split("\n")
    i = 0
    previous_blank = True
    while i < len(lines):
        line = lines[i]
        fence = re.match(r"^(```+|~~~+)\s*([\w-]*)", line)
        if fence:
            marker, kind = fence.group(1), fence.group(2) or "plain"
            start = i + 1
            i += 1
            while i < len(lines) and not lines[i].startswith(marker):
                i += 1
            found.append(Block(kind, start + 1, lines[start:i]))
            i += 1
            previous_blank = False
            continue
        if previous_blank and line.startswith("    ") and line.strip():
            start = i
            body = []
            while i < len(lines) and (lines[i].startswith("    ") or not lines[i].strip()):
                body.append(lines[i][4:])
                i += 1
            while body and not body[-1].strip():
                body.pop()
            found.append(Block("indented", start + 1, body))
            previous_blank = True
            continue
        previous_blank = not line.strip()
        i += 1
    return found


def _steps(lines, first, more):
    """Splits transcript `lines` into steps: a line starting with one of
    `first` starts a step, one starting with one of `more` right after it
    continues the step's input, and the other lines are output."""
    steps = []
    for line in lines:
        start = next((p for p in first if line.startswith(p) or line == p.rstrip()), None)
        go_on = next((p for p in more if line.startswith(p) or line == p.rstrip()), None)
        if start is not None:
            steps.append(Step(line[len(start):], [], [line]))
        elif go_on is not None and steps and not steps[-1].output:
            steps[-1].command += "\n" + line[len(go_on):]
            steps[-1].source.append(line)
        elif steps:
            steps[-1].output.append(line)
        else:
            raise ValueError(f"output before any command: {line!r}")
    return steps


def console_steps(block):
    """The commands of a `console` block with their output; a command ending
    in a backslash goes on in the next line."""
    steps = []
    continuing = False
    for line in block.lines:
        if continuing:
            steps[-1].command += "\n" + line
            steps[-1].source.append(line)
        elif line.startswith("$ "):
            steps.append(Step(line[2:], [], [line]))
        elif steps:
            steps[-1].output.append(line)
        else:
            raise ValueError(f"line {block.line}: output before any command: {line!r}")
        continuing = line.endswith("\\")
    return steps


def r_steps(block):
    """The expressions of an `r` block with their output."""
    return _steps(block.lines, ["> "], ["+ "])


def python_steps(block):
    """The statements of a `python` block with their output."""
    return _steps(block.lines, [">>> "], ["... "])


def normalized(text):
    """Output as compared: CR LF as LF, blanks at line ends and blank lines at
    the end dropped, as a Markdown file keeps them."""
    lines = [line.rstrip() for line in text.replace("\r\n", "\n").split("\n")]
    while lines and not lines[-1]:
        lines.pop()
    return lines


def matches(expected, actual):
    """True when the lines `actual` are the lines `expected`, where a line
    `...` in `expected` stands for any number of lines."""
    expected = normalized("\n".join(expected))
    memo = {}

    def match(e, a):
        if (e, a) not in memo:
            if e == len(expected):
                result = a == len(actual)
            elif expected[e] == "...":
                result = any(match(e + 1, k) for k in range(a, len(actual) + 1))
            else:
                result = a < len(actual) and actual[a] == expected[e] and match(e + 1, a + 1)
            memo[(e, a)] = result
        return memo[(e, a)]

    return match(0, 0)


def difference(expected, actual):
    """A short report of expected against actual lines, for a failure."""
    shown = "\n".join("    " + line for line in expected)
    got = "\n".join("    " + line for line in actual)
    return f"  expected:\n{shown}\n  got:\n{got}"
