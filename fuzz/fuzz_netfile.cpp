// The network file reader on arbitrary bytes: an open must not crash, hang or
// allocate without bound; what it accepted must save and read back; an
// append of the same bytes to an opened network must fail cleanly or merge.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

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

// Inputs up to 1 MB, unless the command line says otherwise.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> args;
    args.assign(*argv, *argv + *argc);
    bool given = false;
    for (char* a : args) given |= std::string(a).rfind("-max_len=", 0) == 0;
    static char maxLen[] = "-max_len=1048576";
    if (!given) args.insert(args.begin() + 1, maxLen);
    args.push_back(nullptr);
    *argc = int(args.size()) - 1;
    *argv = args.data();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) return 0;
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
