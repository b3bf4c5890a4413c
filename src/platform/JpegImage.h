// JPEG images decoded through libjpeg into a QImage (8-bit grey for grey
// files, 24-bit RGB otherwise). Files are untrusted: every libjpeg error, a
// truncated or damaged file and an image beyond the limits give an error text
// and a null image; nothing exits the program or waits on more input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <QImage>
#include <QString>

struct TJpegLimits {
    int64_t MaxFileBytes = int64_t(512) << 20;
    int32_t MaxSide = 65500;             // the largest side a JPEG can have
    int64_t MaxPixels = 120'000'000;     // about 360 MB of 24-bit pixels
    int32_t MaxScans = 1000;             // progressive files: scans read before giving up
    int64_t MaxDecoderMemory = int64_t(1) << 30;
};

struct TJpegResult {
    QImage Image;      // null on failure
    std::string Error; // empty on success
    bool Ok() const { return Error.empty(); }
};

// Decodes a whole JPEG file held in memory.
TJpegResult DecodeJpeg(const uint8_t* data, std::size_t size, const TJpegLimits& limits = {});
// Reads and decodes the file at path.
TJpegResult LoadJpegFile(const QString& path, const TJpegLimits& limits = {});
