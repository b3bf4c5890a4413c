#!/usr/bin/python3
"""Expected nestedness sections of small networks, by shapely.

Reads a description on standard input:
    network
    node NAME X Y
    poly OWNER V1 V2 ...        (the owner's ring, vertex node names in order)
    link NAME X1 Y1 X2 Y2 ...   (A node, shape points, B node)
    edited NAME
and prints, for each "edited" line, "case NETWORK NAME", then each section's
heading followed by the names in it (sorted), or "skip" when a ring of the
network is not a simple polygon.
"""
import sys

from shapely.geometry import LineString, Point, Polygon

HEADINGS = [
    "Nodes Within or Touching this Polygon:",
    "Links Within or Touching this Polygon:",
    "Polygons With all Vertices Within or Touching this Polygon:",
    "Polygons With Boundaries Intersecting this Polygon:",
    "Polygons Containing this Node:",
]


def box(ring):
    xs = [p[0] for p in ring]
    ys = [p[1] for p in ring]
    return min(xs), min(ys), max(xs), max(ys)


def strictly_overlap(a, b):
    return min(a[2], b[2]) > max(a[0], b[0]) and min(a[3], b[3]) > max(a[1], b[1])


def sections(net, edited):
    nodes, rings, links = net["nodes"], net["rings"], net["links"]
    pos = nodes[edited]
    out = []
    if edited in rings:
        ring = rings[edited]
        poly = Polygon(ring)
        out.append((HEADINGS[0], [n for n, p in nodes.items() if poly.covers(Point(p))]))
        out.append((HEADINGS[1], [l for l, c in links.items() if poly.intersects(LineString(c))]))
        out.append((HEADINGS[2], [o for o, r in rings.items()
                                  if o != edited and all(poly.covers(Point(v)) for v in r)]))
        out.append((HEADINGS[3], [o for o, r in rings.items()
                                  if strictly_overlap(box(r), box(ring))
                                  and Polygon(r).boundary.intersects(poly.boundary)]))
    out.append((HEADINGS[4], [o for o, r in rings.items() if Polygon(r).covers(Point(pos))]))
    return out


def main():
    nets = []
    for line in sys.stdin:
        w = line.split()
        if not w:
            continue
        if w[0] == "network":
            nets.append({"nodes": {}, "rings": {}, "links": {}, "edited": []})
        elif w[0] == "node":
            nets[-1]["nodes"][w[1]] = (int(w[2]), int(w[3]))
        elif w[0] == "poly":
            nets[-1]["rings"][w[1]] = [nets[-1]["nodes"][v] for v in w[2:]]
        elif w[0] == "link":
            c = [int(v) for v in w[2:]]
            nets[-1]["links"][w[1]] = list(zip(c[0::2], c[1::2]))
        elif w[0] == "edited":
            nets[-1]["edited"].append(w[1])
    for k, net in enumerate(nets):
        valid = all(Polygon(r).is_valid for r in net["rings"].values())
        for name in net["edited"]:
            print("case", k, name)
            if not valid:
                print("skip")
                continue
            for heading, names in sections(net, name):
                print(heading)
                for n in sorted(names):
                    print(n)


if __name__ == "__main__":
    main()
