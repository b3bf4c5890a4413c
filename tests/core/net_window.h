// A network together with the settings of one window over it: what the file
// reads into and writes from, and what drawing and the engines take beside
// the network. Tests build one, fill both parts through one name and file it.
#pragma once

#include <string>

#include "core/file/NetworkFile.h"
#include "core/model/Network.h"
#include "core/model/WindowSettings.h"

struct TNetWindow : TNetwork, TWindowSettings {
    TWindowSettings& Settings() { return *this; }
    const TWindowSettings& Settings() const { return *this; }
};

inline TOpenResult OpenNetworkFile(TNetWindow& w, const std::string& fileName, bool open, TMessageSink& sink,
                                   const TOpenOptions& options = {})
{
    return OpenNetworkFile(w, w.Settings(), fileName, open, sink, options);
}

inline TOpenResult OpenNetworkBytes(TNetWindow& w, std::string bytes, const std::string& fileName, bool open,
                                    TMessageSink& sink, const TOpenOptions& options = {})
{
    return OpenNetworkBytes(w, w.Settings(), std::move(bytes), fileName, open, sink, options);
}

inline TSaveResult SaveNetworkFile(TNetWindow& w, const std::string& path, int version, TMessageSink& sink,
                                   const TFileProgress& progress = {})
{
    return SaveNetworkFile(w, w.Settings(), path, version, sink, progress);
}
