#!/usr/bin/python3
"""Checks the table drivers against independent readers.

  oracle_tables.py PART DRIVERS SHARED_DATA TEST_DATA

PART is one of:
  ogr    dbf-dump of real tables against ogr2ogr's CSV of them; the field
         definitions of an extracted dBase table against ogrinfo
  pydbf  dbf-dump against python3-dbf (memos included); an extracted dBase
         table read by python3-dbf, edited there, read back by table-update
  csv    comma- and tab-separated extracts read by Python's csv module

Exits 77 (skipped) when the part's tool is missing, 1 on a difference.
"""
import csv
import io
import os
import shutil
import subprocess
import sys
import tempfile
import warnings

PART, DRIVERS, SHARED, DATA = sys.argv[1:5]
FAILURES = []

# The public tables are not part of the project: without them, skip (77).
if not os.path.isdir(os.path.join(SHARED, "shp")):
    print("SKIP: the public dBase tables are not at", os.path.join(SHARED, "shp"))
    sys.exit(77)


def fail(what):
    FAILURES.append(what)
    print("FAIL:", what)


def run(*args):
    p = subprocess.run([os.path.join(DRIVERS, args[0])] + list(args[1:]), capture_output=True)
    if p.returncode != 0:
        raise SystemExit("%s failed (%d): %s" % (" ".join(args), p.returncode, p.stdout.decode("latin-1")))
    return p.stdout.decode("latin-1")


def unescape(s):
    out, i = [], 0
    while i < len(s):
        if s[i] == "\\" and i + 1 < len(s):
            out.append({"t": "\t", "r": "\r", "n": "\n", "\\": "\\"}[s[i + 1]])
            i += 2
        else:
            out.append(s[i])
            i += 1
    return "".join(out)


def dump(table):
    """dbf-dump's fields [(name, type, width, decimals)] and records [(deleted, [values])]."""
    lines = run("dbf-dump", table).split("\n")
    head = lines[0].split()
    fields = [tuple(l.split()[1:]) for l in lines[1:1 + int(head[5])]]
    records = []
    for l in lines[1 + int(head[5]):]:
        if not l:
            continue
        parts = l.split("\t")
        records.append((parts[0].endswith("*"), [unescape(v) for v in parts[1:]]))
    return fields, records


def same_number(ours, theirs):
    ours = ours.strip()
    if ours and set(ours) == {"*"}:
        ours = ""  # a number of asterisks is no number
    if ours == "" or theirs in ("", None):
        return ours == "" and theirs in ("", None, 0)
    try:
        return abs(float(ours) - float(theirs)) <= 1e-9 * max(1.0, abs(float(ours)))
    except ValueError:
        return False


def check_value(where, ftype, ours, theirs):
    if ftype in ("N", "F"):
        ok = same_number(ours, theirs)
    elif ftype == "D":
        theirs = "" if theirs in (None, "") else str(theirs).replace("/", "").replace("-", "")
        ok = ours.strip() in (theirs, "00000000" if theirs == "" else theirs)
    elif ftype == "L":
        if isinstance(theirs, str):
            theirs = None if theirs.strip() in ("", "?") else theirs.strip().upper()[:1] in ("T", "Y")
        ok = (ours.strip().upper() in ("T", "Y")) == theirs if theirs is not None else ours.strip() in ("", "?")
    else:
        ok = ours.rstrip() == ("" if theirs is None else str(theirs).rstrip())
    if not ok:
        fail("%s: ours %r, theirs %r" % (where, ours, theirs))


def xup_of_mode(tmp, mode):
    """The fixture's formats in another separation mode."""
    xup = open(os.path.join(DATA, "dbase.xup"), "rb").read().split(b"\r\n")
    xup[20] = str(mode).encode()
    path = os.path.join(tmp, "m%d.xup" % mode)
    open(path, "wb").write(b"\r\n".join(xup))
    return path


def xup_with(tmp, templates):
    """The fixture's formats in dBase mode with template lines replaced (line index: text)."""
    xup = open(os.path.join(DATA, "dbase.xup"), "rb").read().split(b"\r\n")
    for i, text in templates.items():
        xup[i] = text.encode()
    xup[20] = b"3"
    path = os.path.join(tmp, "w.xup")
    open(path, "wb").write(b"\r\n".join(xup))
    return path


# ---------------------------------------------------------------- ogr

def ogr_rows(table, tmp):
    # The table alone: beside its shapefile ogr would read as many records as shapes.
    alone = os.path.join(tmp, "alone.dbf")
    shutil.copyfile(table, alone)
    out = os.path.join(tmp, "ogr.csv")
    if os.path.exists(out):
        os.remove(out)
    subprocess.run(["ogr2ogr", "-f", "CSV", out, alone], check=True, capture_output=True)
    with open(out, newline="", encoding="latin-1") as f:
        return list(csv.reader(f))


def part_ogr(tmp):
    if not shutil.which("ogr2ogr") or not shutil.which("ogrinfo"):
        print("skip: ogr2ogr/ogrinfo not installed (gdal-bin)")
        sys.exit(77)
    tables = ["dbase/dbase_03", "dbase/dbase_83", "dbase/cp1251", "shplib/3dpoints", "pyshp/NullTest",
              "pyshp/dtype", "pyshp/balancing", "pyshp/blockgroups", "shplib/csah"]
    codepages = {"dbase/cp1251": "cp1251"}  # ogr gives UTF-8 from the table's code page; we keep bytes
    for name in tables:
        table = os.path.join(SHARED, "shp", name + ".dbf")
        fields, records = dump(table)
        rows = ogr_rows(table, tmp)
        live = [r for d, r in records if not d]
        if len(rows) - 1 != len(live):
            fail("%s: %d records, ogr %d" % (name, len(live), len(rows) - 1))
            continue
        for i, (ours, theirs) in enumerate(zip(live, rows[1:])):
            for (fname, ftype, _, _), o, t in zip(fields, ours, theirs):
                if ftype == "M":
                    continue  # ogr shows no memo texts
                if name in codepages:
                    o = o.encode("latin-1").decode(codepages[name])
                    t = t.encode("latin-1").decode("utf-8")
                check_value("%s record %d %s" % (name, i + 1, fname), ftype, o, t)

    # An extracted table's columns as ogrinfo defines them.
    out = os.path.join(tmp, "x.dbf")
    run("table-extract", os.path.join(DATA, "fixture.dta"), out, os.path.join(DATA, "dbase.xup"))
    info = subprocess.run(["ogrinfo", "-ro", "-al", "-so", out], capture_output=True, check=True).stdout.decode()
    want = ["NAME: String (30.0)", "ANODENAME: String (30.0)", "SPE: Real (15.7)", "SHAPECOUNT: Integer64 (15.0)",
            "TYP: String (8.0)", "OPE: String (30.0)", "DAY: Date (10.0)", "Feature Count: 6"]
    for w in want:
        if w not in info:
            fail("ogrinfo of the extract lacks %r" % w)


# ---------------------------------------------------------------- python3-dbf

def part_pydbf(tmp):
    try:
        warnings.simplefilter("ignore")
        import dbf
    except ImportError:
        print("skip: python3-dbf not installed")
        sys.exit(77)

    def compare(table):
        fields, records = dump(table)
        t = dbf.Table(table, codepage="cp1252")
        t.open(dbf.READ_ONLY)
        names = t.field_names
        if len(t) != len(records):
            fail("%s: %d records, python3-dbf %d" % (table, len(records), len(t)))
        for (fname, ftype, width, dec), pname in zip(fields, names):
            info = t.field_info(pname)
            if (fname.lower(), chr(info[0]), int(width), int(dec)) != (pname, ftype, info[1], info[2]):
                fail("%s field %s: ours %s, python3-dbf %s" % (table, fname, (fname, ftype, width, dec), info[:3]))
        for i, ((deleted, values), rec) in enumerate(zip(records, t)):
            if deleted != dbf.is_deleted(rec):
                fail("%s record %d: deleted %s" % (table, i + 1, deleted))
            for (fname, ftype, _, _), o, pname in zip(fields, values, names):
                o = o.encode("latin-1").decode("cp1252", errors="replace")
                check_value("%s record %d %s" % (table, i + 1, fname), ftype, o, rec[pname])
        t.close()

    compare(os.path.join(SHARED, "shp", "dbase", "dbase_83.dbf"))

    # Classes that share columns: every column keeps a name of its own.
    shared = os.path.join(tmp, "shared.dbf")
    run("table-extract", os.path.join(DATA, "fixture.dta"), shared, xup_with(tmp, {
        0: "NNAME,POP,COU,ZERO,NODEX", 1: "", 10: "LNAME,ANODEX,SERIALA,SERIALA"}))
    try:
        t = dbf.Table(shared, codepage="cp1252")
        t.open(dbf.READ_ONLY)
        if [n.upper() for n in t.field_names] != ["NAME", "ANODEX", "ANODESERIAL", "ANODESERI1", "ANODEX1"]:
            fail("python3-dbf reads the shared columns as %r" % (t.field_names,))
        t.close()
    except Exception as e:
        fail("python3-dbf refuses the shared columns: %s" % e)
    compare(shared)

    # An alias that a built-in column's name repeats in its first 10
    # characters: readers that keep 10 still see two names.
    fixture = open(os.path.join(DATA, "fixture.dta"), "rb").read()
    speed = b"Speed" + b" " * 25 + b"SPE       "
    if speed not in fixture:
        raise SystemExit("the fixture's speed attribute is not where this test expects it")
    aliased = os.path.join(tmp, "aliased.dta")
    open(aliased, "wb").write(fixture.replace(speed, b"Speed" + b" " * 25 + b"ANODESERIA"))
    for line, want in (("LNAME,ANODESERIA,SERIALA", ["NAME", "ANODESERIA", "ANODESERI1"]),
                       ("LNAME,SERIALA,ANODESERIA", ["NAME", "ANODESERIAL", "ANODESERI1"])):
        tenth = os.path.join(tmp, "tenth.dbf")
        run("table-extract", aliased, tenth, xup_with(tmp, {0: "", 1: "", 10: line}))
        try:
            t = dbf.Table(tenth, codepage="cp1252")
            t.open(dbf.READ_ONLY)
            names = [n.upper() for n in t.field_names]
            t.close()
            if names != want or len({n[:10] for n in names}) != len(names):
                fail("%s: python3-dbf reads the columns as %r" % (line, names))
        except Exception as e:
            fail("python3-dbf refuses the columns of %s: %s" % (line, e))
        compare(tenth)
    extract = os.path.join(tmp, "t.dbf")
    run("table-extract", os.path.join(DATA, "fixture.dta"), extract, os.path.join(DATA, "dbase.xup"))
    compare(extract)

    # Edited by python3-dbf, read back by Update.
    t = dbf.Table(extract, codepage="cp1252")
    t.open(dbf.READ_WRITE)
    for rec in t:
        name = rec["name"].strip()
        if name == "Alpha":
            dbf.write(rec, str="4321.5", lab="edited label", typ="XYZ")
        elif name == "AB":
            dbf.write(rec, spe=77.25)
        elif name == "Gamma":
            dbf.write(rec, str="-1")
            dbf.delete(rec)
    t.close()
    compare(extract)
    out = run("table-update", os.path.join(DATA, "fixture.dta"), extract, os.path.join(tmp, "u.dta"),
              os.path.join(DATA, "dbase.xup"))
    if out != "lines 6 nodes 4 links 2 shapepoints 3 polygons 1\n":
        fail("table-update printed %r" % out)
    commas = os.path.join(tmp, "u.txt")
    run("table-extract", os.path.join(tmp, "u.dta"), commas, xup_of_mode(tmp, 1))
    rows = {r[0]: r for r in csv.reader(open(commas, newline="", encoding="latin-1"))}
    checks = [("Alpha", 4, "4321.5"), ("Alpha", 11, "edited label"), ("Alpha", 6, "XYZ"), ("Gamma", 4, "5280"),
              ("AB", 3, "77.25")]
    for name, col, want in checks:
        got = rows.get(name, [""] * 12)[col]
        if got != want:
            fail("after the python3-dbf edit %s column %d is %r, not %r" % (name, col + 1, got, want))


# ---------------------------------------------------------------- csv

def part_csv(tmp):
    for mode, delimiter in ((1, ","), (2, "\t")):
        out = os.path.join(tmp, "m%d.txt" % mode)
        printed = run("table-extract", os.path.join(DATA, "fixture.dta"), out, xup_of_mode(tmp, mode))
        if printed != "records 6\n":
            fail("table-extract printed %r" % printed)
        rows = list(csv.reader(open(out, newline="", encoding="latin-1"), delimiter=delimiter))
        names = [r[0] for r in rows]
        if names != ["Beta", "Alpha", "Gamma", "Delta", "BG", "AB"]:
            fail("mode %d names %r" % (mode, names))
        alpha = rows[1]
        want = ["Alpha", "1", "0", "0", "1234.5", "7", "BCA", "5/6/1999", "10:20:30", "8:15:0", "12/24/2003",
                "first zone"]
        if alpha != want:
            fail("mode %d Alpha %r" % (mode, alpha))
        if rows[5] != ["AB", "Alpha", "Beta", "55", "Main Street", "3", "250", "-60", "500", "-120", "750", "-180"]:
            fail("mode %d AB %r" % (mode, rows[5]))
        if rows[4][3] != "1E-07" or float(rows[4][3]) != 1e-7:
            fail("mode %d a small real %r" % (mode, rows[4][3]))
        for r in rows:
            for v in r[1:]:
                try:
                    float(v)
                except ValueError:
                    continue
                if v != v.strip():
                    fail("mode %d has a padded number %r" % (mode, v))

    # The drivers' refusals.
    for args, want in ((["table-update", os.path.join(DATA, "fixture.dta"), os.path.join(tmp, "none.txt"),
                         os.path.join(tmp, "o.dta")], "Valid update file not found.\nUpdate\n"),
                       (["dbf-dump", os.path.join(SHARED, "shp", "dbase", "dbase_30.dbf")],
                        "Error Reading Header Info.\n")):
        p = subprocess.run([os.path.join(DRIVERS, args[0])] + args[1:], capture_output=True)
        if p.returncode != 1 or p.stdout.decode() != want:
            fail("%s: %d %r" % (args[0], p.returncode, p.stdout.decode()))


with tempfile.TemporaryDirectory() as tmp:
    {"ogr": part_ogr, "pydbf": part_pydbf, "csv": part_csv}[PART](tmp)
if FAILURES:
    print("%d difference(s)" % len(FAILURES))
    sys.exit(1)
print("ok")
