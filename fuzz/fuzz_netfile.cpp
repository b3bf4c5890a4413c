// The network file reader on arbitrary bytes: an open must not crash, hang or
// allocate without bound; what it accepted must save and read back; an
// append of the same bytes to an opened network must fail cleanly or merge.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "core/file/NetworkFile.h"
#include "core/model/Messages.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

namespace {

class TQuietSink : public TMessageSink {
public:
    int MessageBox(const std::string&, const std::string&, int flags) override { return DefaultButton(flags); }
};

long ActivePoints(const TNetwork& net)
{
    long n = 0;
    for (THashEntry* cell : net.NodeHash) n += cell->Points.GetCount();
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    TQuietSink sink;
    TNetwork net;
    TWindowSettings settings;
    const TOpenResult r = OpenNetworkBytes(net, settings, bytes, "fuzz.dta", true, sink);
    if (r.Status == TOpenStatus::Failed) return 0;
    if (ActivePoints(net) != net.NodeHash.PointCount()) std::abort();
    for (int32_t v : {net.MinX, net.MinY, net.MaxX, net.MaxY})
        if (v < -WorldLimit || v > WorldLimit) std::abort();
    // What was accepted saves, and the saved file opens again.
    static const std::string saved = "/tmp/fuzz_netfile_" + std::to_string(::getpid()) + ".dta";
    static const struct TRemoveAtExit {
        ~TRemoveAtExit() { ::unlink(saved.c_str()); }
    } removeAtExit;
    if (!SaveNetworkFile(net, settings, saved, 9, sink).Ok) std::abort();
    {
        TNetwork again;
        TWindowSettings againSettings;
        if (OpenNetworkFile(again, againSettings, saved, true, sink).Status == TOpenStatus::Failed) std::abort();
    }
    // An append to the network read: on failure nothing may change.
    const long before = ActivePoints(net);
    const int32_t links = net.LinkCount;
    const TOpenResult a = OpenNetworkBytes(net, settings, bytes, "fuzz.dta", false, sink);
    if (a.Status == TOpenStatus::Failed && (ActivePoints(net) != before || net.LinkCount != links)) std::abort();
    return 0;
}
