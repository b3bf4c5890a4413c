// SVG drawings of the metafile backgrounds, read from files and the
// clipboard that nobody vouches for. A drawing is self-contained or it is
// not read: an <image> that names another file (a path, a file: or http:
// address) is taken out before the renderer sees the text, so that opening a
// network never reads, or waits on, a file the drawing merely names. Embedded
// pictures ("data:" addresses) stay when they are raster images within the
// pixel bound; an embedded SVG, which could name files in turn, is taken out
// too. A .svgz is inflated here under a bound, never by the renderer. A
// drawing that declares entities is refused: drawings need none, and their
// references would grow the text past every bound here. So is one with a
// start tag of more attributes than a bound, one whose start tags together
// hold more pairs of attributes than another, or one whose document type
// gives attributes default values (which every element of that name would
// take): the XML reader compares every pair of attributes of an element,
// before any of the bounds here could count them, so that its time grows
// with the square of each element's attributes, element after element. So
// is a drawing with bytes that its encoding does not allow.
#pragma once

#include <cstdint>
#include <memory>

#include <QByteArray>
#include <QString>

class QSvgRenderer;

struct TDrawingLimits {
    int64_t MaxFileBytes = int64_t(64) << 20;  // the file as stored, compressed or not
    int64_t MaxTextBytes = int64_t(64) << 20;  // the SVG text after inflation
    int64_t MaxElements = 1'000'000;           // elements of the drawing
    int64_t MaxAttributes = 4'096;             // attributes of one start tag (drawings have tens)
    int64_t MaxAttributePairs = int64_t(1) << 27; // pairs of attributes within start tags, over the drawing
    int64_t MaxImagePixels = 120'000'000;      // all embedded pictures together (as a JPEG background)
};

// The drawing's text made self-contained (see above): false when the bytes
// are no well-formed XML, are not valid in their encoding, declare entities
// or attribute defaults, inflate beyond the bounds or hold too many
// elements, attributes of one element, pairs of attributes or embedded
// pixels. A .svgz of several gzip members is read whole.
bool SelfContainedSvg(const QByteArray& Bytes, QByteArray& Text, const TDrawingLimits& Limits = {});

// A drawing from bytes (SVG text or gzip-compressed SVG); nullptr when it
// cannot be read within the bounds or is no valid drawing.
std::unique_ptr<QSvgRenderer> ReadSvgDrawing(const QByteArray& Bytes, const TDrawingLimits& Limits = {});
// The same from a file; only a regular file is read.
std::unique_ptr<QSvgRenderer> LoadSvgDrawingFile(const QString& Path, const TDrawingLimits& Limits = {});
