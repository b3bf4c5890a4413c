// Reads arbitrary bytes as a shapefile's main file: the reader on its own,
// then the import into a network. The first byte picks the method and the
// scale; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"
#include "core/shapes/ShapeFileReader.h"
#include "core/shapes/ShapeImport.h"

namespace {

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const uint8_t pick = data[0];
    const std::span<const uint8_t> file(data + 1, size - 1);

    TShpReader reader;
    reader.OpenBytes(file);
    TShpHeader header;
    TShpRecord rec;
    if (reader.ReadHeader(header))
        while (reader.Next(rec)) {
        }

    static const double Scales[4] = {-100000, 1e12, -0.5, 3000};
    TShapeImportSettings settings;
    settings.Method = pick & 3;
    settings.YScale = Scales[(pick >> 2) & 3];
    settings.XScale = -settings.YScale;
    settings.XTranslate = (pick & 16) ? 122 : 0;
    settings.YTranslate = (pick & 32) ? -37 : 0;
    TNetwork net;
    TWindowSettings window;
    TQuietSink sink;
    ImportShapefileBytes(net, window, settings, file, {}, sink);
    return 0;
}
