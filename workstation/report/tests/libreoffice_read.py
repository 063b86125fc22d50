#!/usr/bin/python3
"""Opens workbooks in LibreOffice Calc (one headless soffice for all of them)
and prints what it reads, for the report tests: for each file a line
"FILE<US>path<US>seconds to open<US>problems", where problems lists every
question LibreOffice asked while loading (a package it had to repair, a part
it could not read) and is empty for a clean file; a line
"SHEETS<US>name<US>name..."; and one line per non-empty cell of every sheet as
LibreOffice's CSV export writes it: sheet<US>reference<US>str or num<US>value<US>0.
usage: libreoffice_read.py WORK_FOLDER WORKBOOK...
Exit status 3 when LibreOffice or its Python bridge is not installed."""
import os
import shutil
import subprocess
import sys
import time

try:
    import uno
    import unohelper
    from com.sun.star.task import XInteractionHandler
except ImportError:
    sys.exit(3)
soffice = shutil.which("soffice")
if soffice is None:
    sys.exit(3)

SEPARATOR = "\x1f"
# Comma, double quote, UTF-8, every text cell quoted (so that numbers stand
# out), values as shown, every sheet to its own file.
CSV_OPTIONS = "44,34,76,1,,0,true,true,true,false,false,-1"


class Recorder(unohelper.Base, XInteractionHandler):
    """Answers every question of the loader with its first choice, and notes it."""

    def __init__(self):
        self.requests = []

    def handle(self, request):
        self.requests.append(request.getRequest().typeName)
        for continuation in request.getContinuations():
            if "Approve" not in continuation.typeName:
                continuation.select()
                return


def prop(name, value):
    p = uno.createUnoStruct("com.sun.star.beans.PropertyValue")
    p.Name, p.Value = name, value
    return p


def column_name(index):
    name = ""
    index += 1
    while index:
        index, rest = divmod(index - 1, 26)
        name = chr(ord("A") + rest) + name
    return name


def csv_fields(line_source):
    """Records of a CSV text as lists of (quoted, value)."""
    records, fields, value, quoted, in_quotes, i = [], [], "", False, False, 0
    text = line_source
    while i < len(text):
        c = text[i]
        if in_quotes:
            if c == '"' and i + 1 < len(text) and text[i + 1] == '"':
                value += '"'
                i += 1
            elif c == '"':
                in_quotes = False
            else:
                value += c
        elif c == '"':
            in_quotes, quoted = True, True
        elif c == ",":
            fields.append((quoted, value))
            value, quoted = "", False
        elif c == "\n":
            fields.append((quoted, value))
            records.append(fields)
            fields, value, quoted = [], "", False
        elif c != "\r":
            value += c
        i += 1
    if fields or value:
        fields.append((quoted, value))
        records.append(fields)
    return records


def main():
    work = os.path.abspath(sys.argv[1])
    files = [os.path.abspath(f) for f in sys.argv[2:]]
    pipe = "vantor-report-%d" % os.getpid()
    office = subprocess.Popen(
        [soffice, "--headless", "--invisible", "--norestore", "--nologo", "--nodefault",
         "-env:UserInstallation=file://" + work + "/profile", "--accept=pipe,name=%s;urp;" % pipe],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    out = open(sys.stdout.fileno(), "w", encoding="utf-8", closefd=False)
    try:
        local = uno.getComponentContext()
        resolver = local.ServiceManager.createInstanceWithContext("com.sun.star.bridge.UnoUrlResolver", local)
        context = None
        deadline = time.monotonic() + 120
        while context is None:
            try:
                context = resolver.resolve("uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
            except Exception:
                if time.monotonic() > deadline or office.poll() is not None:
                    print("LibreOffice did not start", file=sys.stderr)
                    sys.exit(1)
                time.sleep(0.2)
        desktop = context.ServiceManager.createInstanceWithContext("com.sun.star.frame.Desktop", context)
        for path in files:
            recorder = Recorder()
            start = time.monotonic()
            try:
                document = desktop.loadComponentFromURL(
                    uno.systemPathToFileUrl(path), "_blank", 0,
                    (prop("Hidden", True), prop("RepairPackage", False), prop("InteractionHandler", recorder)))
            except Exception as failure:
                document = None
                recorder.requests.append(type(failure).__name__)
            seconds = time.monotonic() - start
            if document is None:
                recorder.requests.append("not loaded")
            out.write(SEPARATOR.join(["FILE", path, "%.2f" % seconds, " ".join(recorder.requests)]) + "\n")
            if document is None:
                continue
            names = list(document.Sheets.ElementNames)
            out.write(SEPARATOR.join(["SHEETS"] + names) + "\n")
            stem = os.path.join(work, os.path.splitext(os.path.basename(path))[0])
            document.storeToURL(uno.systemPathToFileUrl(stem + ".csv"),
                                (prop("FilterName", "Text - txt - csv (StarCalc)"),
                                 prop("FilterOptions", CSV_OPTIONS)))
            document.close(True)
            for name in names:
                with open("%s-%s.csv" % (stem, name), encoding="utf-8") as csv_file:
                    records = csv_fields(csv_file.read())
                for row, fields in enumerate(records):
                    for column, (quoted, value) in enumerate(fields):
                        if value == "" and not quoted:
                            continue
                        out.write(SEPARATOR.join([name, column_name(column) + str(row + 1),
                                                  "str" if quoted else "num",
                                                  value.replace("\n", "\\n"), "0"]) + "\n")
        out.flush()
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        try:
            office.wait(timeout=30)
        except subprocess.TimeoutExpired:
            office.kill()
            office.wait()


main()
