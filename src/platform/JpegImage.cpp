#include "platform/JpegImage.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <QFile>

extern "C" {
#include <jpeglib.h>
#include <jerror.h>
}

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// Ours keeps the message and jumps back to the decode call. Between that call
// and the jump only libjpeg's C frames and frames without live C++ objects lie
// (see Decode below), and every object the decode fills lives on the heap.
struct TDecodeContext {
    jpeg_decompress_struct Info;
    jpeg_error_mgr Errors;
    jpeg_source_mgr Source;
    jpeg_progress_mgr Progress;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
    const TJpegLimits* Limits = nullptr;
    QImage Image;
};

TDecodeContext& ContextOf(j_common_ptr info) { return *static_cast<TDecodeContext*>(info->client_data); }

[[noreturn]] void FailWith(j_common_ptr info, const char* text)
{
    TDecodeContext& c = ContextOf(info);
    std::snprintf(c.Message, sizeof c.Message, "%s", text);
    std::longjmp(c.Jump, 1);
}

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    TDecodeContext& c = ContextOf(info);
    (*info->err->format_message)(info, c.Message);
    std::longjmp(c.Jump, 1);
}

// Warnings (recoverable damage) are neither printed nor fatal.
void OutputMessage(j_common_ptr) {}

// The source is the whole file in memory: running out of it means the file
// was cut short, which is an error (libjpeg's own sources would pad it with
// an end marker and draw grey).
void InitSource(j_decompress_ptr) {}
boolean FillInputBuffer(j_decompress_ptr info)
{
    ERREXIT(info, JERR_INPUT_EOF);
    return FALSE;
}
void SkipInputData(j_decompress_ptr info, long count)
{
    if (count <= 0) return;
    jpeg_source_mgr& s = *info->src;
    if (static_cast<unsigned long>(count) > s.bytes_in_buffer) ERREXIT(info, JERR_INPUT_EOF);
    s.next_input_byte += count;
    s.bytes_in_buffer -= size_t(count);
}
void TermSource(j_decompress_ptr) {}

// A crafted progressive file can hold a great many tiny scans, each costing a
// pass over the whole image.
void ProgressMonitor(j_common_ptr info)
{
    if (!info->is_decompressor) return;
    const auto* d = reinterpret_cast<j_decompress_ptr>(info);
    if (d->input_scan_number > ContextOf(info).Limits->MaxScans) FailWith(info, "Too many scans in the JPEG file");
}

// CMYK as Adobe writes it (inverted when an Adobe marker says so) to RGB.
void CmykRowToRgb(const JSAMPLE* in, uchar* out, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = uchar(c * k / 255);
        out[1] = uchar(m * k / 255);
        out[2] = uchar(y * k / 255);
    }
}

// All libjpeg calls that may fail. No C++ object with a destructor is alive
// in this frame while libjpeg runs.
void Decode(TDecodeContext& c, const uint8_t* data, std::size_t size)
{
    j_decompress_ptr info = &c.Info;
    jpeg_create_decompress(info);
    info->mem->max_memory_to_use = long(c.Limits->MaxDecoderMemory);

    c.Source.init_source = InitSource;
    c.Source.fill_input_buffer = FillInputBuffer;
    c.Source.skip_input_data = SkipInputData;
    c.Source.resync_to_restart = jpeg_resync_to_restart;
    c.Source.term_source = TermSource;
    c.Source.next_input_byte = data;
    c.Source.bytes_in_buffer = size;
    info->src = &c.Source;
    c.Progress.progress_monitor = ProgressMonitor;
    info->progress = &c.Progress;

    jpeg_read_header(info, TRUE);
    const int64_t w = info->image_width, h = info->image_height;
    if (w < 1 || h < 1) FailWith(reinterpret_cast<j_common_ptr>(info), "The JPEG image is empty");
    if (w > c.Limits->MaxSide || h > c.Limits->MaxSide || w * h > c.Limits->MaxPixels)
        FailWith(reinterpret_cast<j_common_ptr>(info), "The JPEG image is too large");

    bool cmyk = false;
    switch (info->jpeg_color_space) {
    case JCS_GRAYSCALE:
        info->out_color_space = JCS_GRAYSCALE;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info->out_color_space = JCS_CMYK;
        cmyk = true;
        break;
    default:
        info->out_color_space = JCS_RGB;
        break;
    }
    jpeg_start_decompress(info);
    const int components = cmyk ? 4 : (info->out_color_space == JCS_GRAYSCALE ? 1 : 3);
    if (info->output_width != JDIMENSION(w) || info->output_height != JDIMENSION(h) ||
        info->output_components != components)
        FailWith(reinterpret_cast<j_common_ptr>(info), "Unsupported JPEG layout");

    c.Image = QImage(int(w), int(h), components == 1 ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (c.Image.isNull()) FailWith(reinterpret_cast<j_common_ptr>(info), "Not enough memory for the JPEG image");
    JSAMPARRAY cmykRow = cmyk ? (*info->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE,
                                                             JDIMENSION(w) * 4, 1)
                              : nullptr;
    const bool inverted = info->saw_Adobe_marker;
    while (info->output_scanline < info->output_height) {
        const int y = int(info->output_scanline);
        JSAMPROW row = cmyk ? cmykRow[0] : reinterpret_cast<JSAMPROW>(c.Image.scanLine(y));
        if (jpeg_read_scanlines(info, &row, 1) != 1)
            FailWith(reinterpret_cast<j_common_ptr>(info), "The JPEG file ends early");
        if (cmyk) CmykRowToRgb(row, c.Image.scanLine(y), JDIMENSION(w), inverted);
    }
    jpeg_finish_decompress(info);
}

} // namespace

TJpegResult DecodeJpeg(const uint8_t* data, std::size_t size, const TJpegLimits& limits)
{
    TJpegResult result;
    if (!data || size == 0) {
        result.Error = "The file is empty";
        return result;
    }
    if (int64_t(size) > limits.MaxFileBytes) {
        result.Error = "The JPEG file is too large";
        return result;
    }
    auto c = std::make_unique<TDecodeContext>();
    std::memset(&c->Info, 0, sizeof c->Info);
    c->Info.client_data = c.get(); // kept by jpeg_create_decompress
    c->Limits = &limits;
    c->Message[0] = 0;
    c->Info.err = jpeg_std_error(&c->Errors);
    c->Errors.error_exit = ErrorExit;
    c->Errors.output_message = OutputMessage;
    if (setjmp(c->Jump) == 0) {
        Decode(*c, data, size);
        result.Image = std::move(c->Image);
    } else {
        result.Error = c->Message[0] ? c->Message : "Cannot decode the JPEG file";
    }
    jpeg_destroy_decompress(&c->Info);
    return result;
}

TJpegResult LoadJpegFile(const QString& path, const TJpegLimits& limits)
{
    TJpegResult result;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        result.Error = "Cannot open the file";
        return result;
    }
    if (f.size() > limits.MaxFileBytes) {
        result.Error = "The JPEG file is too large";
        return result;
    }
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) {
        result.Error = "Cannot read the file";
        return result;
    }
    return DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), limits);
}
