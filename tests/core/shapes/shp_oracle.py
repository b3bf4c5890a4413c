"""Shapefile oracle of the shapefile tests, over pyshp, shapely and ogrinfo.

  shp_oracle.py dump FILE        every record as pyshp reads it:
                                 "R number type", then "P" per part and
                                 "V x y z" per point (z "-" without Z)
  shp_oracle.py make DIR         pyshp-made files of every type read here
  shp_oracle.py check FILE...    checks exported sets; prints "ok" or what fails
  shp_oracle.py rows FILE        each table row's NAME with its shape's first
                                 point ("-" for a null shape) and the columns
"""
import os
import struct
import subprocess
import sys

import shapefile


def record_numbers(path):
    """The numbers in the record headers, in file order."""
    with open(path, "rb") as f:
        data = f.read()
    numbers, pos = [], 100
    while pos + 8 <= len(data):
        number, length = struct.unpack(">ii", data[pos:pos + 8])
        numbers.append(number)
        pos += 8 + 2 * length
    return numbers


def dump(path):
    numbers = record_numbers(path)
    with open(path, "rb") as shp:
        # The main file alone, read in order: an index of its own may
        # disagree with it (3dpoints.shx lists fewer records).
        reader = shapefile.Reader(shp=shp)
        shapes = []
        try:
            for shape in reader.iterShapes():
                shapes.append(shape)
        except struct.error:
            pass  # trailing bytes too short for a record
        for i, shape in enumerate(shapes):
            print("R", numbers[i] if i < len(numbers) else i + 1, shape.shapeType)
            if shape.shapeType == 0:
                continue
            zs = getattr(shape, "z", None)
            parts = list(shape.parts) if hasattr(shape, "parts") and shape.parts else [0]
            parts.append(len(shape.points))
            for k in range(len(parts) - 1):
                print("P")
                for j in range(parts[k], parts[k + 1]):
                    x, y = shape.points[j][0], shape.points[j][1]
                    z = repr(float(zs[j])) if zs is not None and j < len(zs) else "-"
                    print("V", repr(float(x)), repr(float(y)), z)


def make(folder):
    """One file per type, with nulls, several parts, holes, repeats and Z."""
    lines = [[[-122.0, 37.0], [-122.1, 37.1], [-122.1, 37.1], [-122.2, 37.05], [-122.3, 37.2]],
             [[-122.3, 37.2], [-122.4, 37.3]]]
    ring = [[-122.0, 37.0], [-122.0, 37.2], [-121.8, 37.2], [-121.8, 37.0], [-122.0, 37.0]]
    hole = [[-121.95, 37.05], [-121.85, 37.05], [-121.85, 37.15], [-121.95, 37.15], [-121.95, 37.05]]
    pts = [[-122.5, 37.5], [-122.6, 37.55], [-122.7, 37.45]]

    def z(coords, base):
        return [[p[0], p[1], base + i * 1.25] for i, p in enumerate(coords)]

    def m(coords):
        return [[p[0], p[1], float(i)] for i, p in enumerate(coords)]

    specs = {
        "points": (shapefile.POINT, lambda w: (w.point(*pts[0]), w.null(), w.point(*pts[1]))),
        "pointsz": (shapefile.POINTZ, lambda w: (w.pointz(pts[0][0], pts[0][1], 12.5), w.null(),
                                                 w.pointz(pts[1][0], pts[1][1], 100000.0),
                                                 w.pointz(pts[2][0], pts[2][1], -3.75))),
        "pointsm": (shapefile.POINTM, lambda w: (w.pointm(pts[0][0], pts[0][1], 4.0),)),
        "lines": (shapefile.POLYLINE, lambda w: (w.line(lines), w.null(), w.line([lines[1]]))),
        "linesz": (shapefile.POLYLINEZ, lambda w: (w.linez([z(lines[0], 10), z(lines[1], 20)]),)),
        "linesm": (shapefile.POLYLINEM, lambda w: (w.linem([m(lines[0])]),)),
        "polygons": (shapefile.POLYGON, lambda w: (w.poly([ring, hole]), w.null(), w.poly([ring]))),
        "polygonsz": (shapefile.POLYGONZ, lambda w: (w.polyz([z(ring, 5)]),)),
        "polygonsm": (shapefile.POLYGONM, lambda w: (w.polym([m(ring)]),)),
        "multipoints": (shapefile.MULTIPOINT, lambda w: (w.multipoint(pts), w.null())),
        "multipointsz": (shapefile.MULTIPOINTZ, lambda w: (w.multipointz(z(pts, 7)),)),
        "multipointsm": (shapefile.MULTIPOINTM, lambda w: (w.multipointm(m(pts)),)),
    }
    for name, (kind, fill) in specs.items():
        w = shapefile.Writer(os.path.join(folder, name), shapeType=kind)
        w.field("ID", "N")
        fill(w)
        for i in range(w.shpNum):
            w.record(i)
        w.close()


def clockwise(ring):
    area = 0.0
    for i in range(len(ring)):
        x1, y1 = ring[i - 1][0], ring[i - 1][1]
        x2, y2 = ring[i][0], ring[i][1]
        area += x1 * y2 - x2 * y1
    return area < 0


def check(paths):
    from shapely.geometry import shape as to_shapely

    problems = []
    for path in paths:
        shx_path = path[:-1] + ("X" if path.endswith("P") else "x")
        with open(path, "rb") as shp, open(shx_path, "rb") as shx:
            data, index = shp.read(), shx.read()
        if struct.unpack(">i", data[24:28])[0] * 2 != len(data):
            problems.append(path + ": file length")
        if struct.unpack(">i", index[24:28])[0] * 2 != len(index):
            problems.append(path + ": index length")
        pos = 100
        for k in range(100, len(index), 8):
            offset, length = struct.unpack(">ii", index[k:k + 8])
            number, content = struct.unpack(">ii", data[pos:pos + 8])
            if offset * 2 != pos or length != content or number != (k - 100) // 8 + 1:
                problems.append(path + ": index entry %d" % number)
                break
            pos += 8 + content * 2
        if pos != len(data):
            problems.append(path + ": records end at %d of %d" % (pos, len(data)))
        dbf = path[:-4] + ".dbf"
        reader = shapefile.Reader(path) if os.path.exists(dbf) else shapefile.Reader(shp=open(path, "rb"),
                                                                                    shx=open(shx_path, "rb"))
        shapes = reader.shapes()
        if os.path.exists(dbf) and reader.numRecords != len(shapes):
            problems.append(path + ": %d rows, %d shapes" % (reader.numRecords, len(shapes)))
        for s in shapes:
            if s.shapeType in (5, 15, 25):
                g = to_shapely(s.__geo_interface__)
                if not g.is_valid:
                    problems.append(path + ": invalid polygon")
                if not clockwise(s.points[:-1]):
                    problems.append(path + ": exterior not clockwise")
        info = subprocess.run(["ogrinfo", "-ro", "-al", "-so", path], capture_output=True, text=True)
        if info.returncode != 0 or "Feature Count: %d" % len(shapes) not in info.stdout:
            problems.append(path + ": ogrinfo " + (info.stderr.strip() or "feature count"))
    print("\n".join(problems) if problems else "ok")


def rows(path):
    reader = shapefile.Reader(path)
    print(" ".join(f[0] for f in reader.fields[1:]))
    for shape_record in reader.iterShapeRecords():
        shape, record = shape_record.shape, shape_record.record
        first = "%r %r" % (shape.points[0][0], shape.points[0][1]) if shape.points else "-"
        print(record["NAME"].strip() + "|" + first)


if __name__ == "__main__":
    if sys.argv[1] == "dump":
        dump(sys.argv[2])
    elif sys.argv[1] == "make":
        make(sys.argv[2])
    elif sys.argv[1] == "check":
        check(sys.argv[2:])
    elif sys.argv[1] == "rows":
        rows(sys.argv[2])
