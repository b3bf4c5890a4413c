// The network file drivers behind the windows' Open, Append and Save.
#pragma once

#include "shell/DocumentIO.h"

class TNetworkFileIO : public TNetworkIO {
public:
    bool Open(TSketchPadWindow& Pad, const std::string& FileName, bool Append, bool UseAppendedValues,
              TMessageSink& Boxes) override;
    bool OpenUnasked(TSketchPadWindow& Pad, const std::string& FileName, TMessageSink& Boxes) override;
    bool Save(TSketchPadWindow& Pad, const std::string& FileName, int Version, TMessageSink& Boxes) override;
};
