// Any bytes through the JPEG decoder: an error or a picture of the size the
// file declares within the limits, never a crash, a hang or a huge allocation.
#include "platform/JpegImage.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TJpegLimits limits;
    limits.MaxPixels = 4'000'000; // keep each run quick
    limits.MaxScans = 100;
    const TJpegResult r = DecodeJpeg(data, size, limits);
    if (r.Ok() == r.Image.isNull()) std::abort();
    if (r.Ok() && int64_t(r.Image.width()) * r.Image.height() > limits.MaxPixels) std::abort();
    return 0;
}
