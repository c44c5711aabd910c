#!/usr/bin/env python3
"""The English translation is complete and current.

Usage: check_translations.py LUPDATE TS_FILE RU_TS_FILE SOURCE_LIST LUPDATE_OPTION...

- lupdate run over the sources into a copy of the .ts changes nothing: no text of the
  sources is missing from the .ts and the .ts keeps no text the sources lost;
- no message is unfinished, and every translation keeps the %1, %2 ... of its source;
- every Cyrillic string literal of the sources is part of a text of the .ts, apart from the
  few that are file contents rather than interface (FILE_FORMAT below);
- every text written in English (a source with Latin letters and no Cyrillic) has a finished
  Russian translation in RU_TS_FILE, and that file keeps nothing else.
"""
import html
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Literals that are written into or read from files, the same in every language.
FILE_FORMAT = {
    ("TableCsv.cpp", "Уровень;Литры"),
    ("TableCsv.cpp", "Бак: "),
    ("TableCsv.cpp", "ТС: "),
    ("TableCsv.cpp", "ДУТ № "),
    ("TableCsv.cpp", "Дата: "),
}

CYRILLIC = re.compile("[\u0400-\u04ff]")


def decode_ts(text):
    text = re.sub(r'<byte value="x([0-9a-fA-F]+)"/>', lambda m: chr(int(m.group(1), 16)), text)
    return html.unescape(text)


def messages(ts_text):
    """(context, source, translation element) of every message."""
    out = []
    for ctx in re.finditer(r"<context>\s*<name>(.*?)</name>(.*?)</context>", ts_text, re.S):
        for msg in re.finditer(r"<message>(.*?)</message>", ctx.group(2), re.S):
            source = re.search(r"<source>(.*?)</source>", msg.group(1), re.S)
            translation = re.search(r"<translation([^>]*)(?:/>|>(.*?)</translation>)",
                                    msg.group(1), re.S)
            out.append((ctx.group(1), decode_ts(source.group(1)),
                        translation.group(1) if translation else None,
                        decode_ts(translation.group(2) or "") if translation else ""))
    return out


def string_literals(code):
    """The C++ string literals of the code, comments left out, escapes decoded."""
    out = []
    i, n = 0, len(code)
    while i < n:
        c = code[i]
        if code.startswith("//", i):
            i = code.find("\n", i)
            i = n if i < 0 else i
        elif code.startswith("/*", i):
            i = code.find("*/", i + 2)
            i = n if i < 0 else i + 2
        elif c == "'":
            j = i + 1
            while j < n and code[j] != "'":
                j += 2 if code[j] == "\\" else 1
            i = j + 1
        elif c == '"':
            j, value = i + 1, []
            while j < n and code[j] != '"':
                if code[j] == "\\":
                    value.append({"n": "\n", "r": "\r", "t": "\t"}.get(code[j + 1], code[j + 1]))
                    j += 2
                else:
                    value.append(code[j])
                    j += 1
            out.append("".join(value))
            i = j + 1
        else:
            i += 1
    return out


def main():
    lupdate, ts_file, ru_ts_file, source_list = sys.argv[1:5]
    options = sys.argv[5:]
    failures = []
    with open(ts_file, encoding="utf-8") as f:
        committed = f.read()
    with open(source_list, encoding="utf-8") as f:
        sources = [line.strip() for line in f if line.strip()]

    with tempfile.TemporaryDirectory() as tmp:
        copy = os.path.join(tmp, os.path.basename(ts_file))
        shutil.copyfile(ts_file, copy)
        listed = os.path.join(tmp, "sources.lst")
        with open(listed, "w", encoding="utf-8") as f:
            f.write("\n".join(sources) + "\n")
        run = subprocess.run([lupdate, *options, "@" + listed, "-ts", copy],
                             capture_output=True, text=True)
        if run.returncode != 0:
            failures.append("lupdate failed: " + run.stderr)
        with open(copy, encoding="utf-8") as f:
            updated = f.read()
    if updated != committed:
        failures.append("the .ts is not what lupdate makes of the sources; run "
                        "`cmake --build --preset default --target update_translations` and "
                        "translate what it added:\n" + run.stdout)

    def translations_keep_args(context, source, translation):
        for arg in set(re.findall(r"%\d", source)):
            if arg not in translation:
                failures.append(f"translation lacks {arg}: {context}: {source!r}")

    found = messages(committed)
    if len(found) < 100:
        failures.append(f"only {len(found)} messages in {ts_file}")
    known = [source for _, source, _, _ in found]
    for context, source, attributes, translation in found:
        where = f"{context}: {source!r}"
        if attributes is None or "type=" in attributes or not translation.strip():
            failures.append(f"unfinished or obsolete: {where}")
            continue
        translations_keep_args(context, source, translation)

    with open(ru_ts_file, encoding="utf-8") as f:
        russian = {(c, s): (a, t) for c, s, a, t in messages(f.read())}
    english_written = {(c, s) for c, s, _, _ in found
                       if re.search("[A-Za-z]", s) and not CYRILLIC.search(s)}
    for key in sorted(english_written):
        attributes, translation = russian.get(key, (None, ""))
        if attributes is None or "type=" in attributes or not CYRILLIC.search(translation):
            failures.append(f"no Russian for a text written in English: {key[0]}: {key[1]!r}")
        else:
            translations_keep_args(*key, translation)
    for key in sorted(set(russian) - english_written):
        failures.append(f"{ru_ts_file} keeps a text that is not written in English in the "
                        f"sources: {key[0]}: {key[1]!r}")

    for path in sources:
        with open(path, encoding="utf-8") as f:
            code = f.read()
        for literal in string_literals(code):
            if not CYRILLIC.search(literal):
                continue
            if (os.path.basename(path), literal) in FILE_FORMAT:
                continue
            if not any(literal in source for source in known):
                failures.append(f"{path}: text outside the translation: {literal!r}")

    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(found)} messages ({len(english_written)} written in English), "
          f"{len(sources)} source files checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
