// What a network file of an older version cannot keep of a network and the
// settings of the window that saves it: shape points, polygons, notes, values
// of kinds the version does not know, settings sections it has not, and so
// on, each counted. Save As asks before it writes such a file.
#pragma once

#include <string>
#include <vector>

class TNetwork;
struct TWindowSettings;

// One thing the version drops: Count of them (-1 for a thing that is not
// counted, such as the title block), named by One or Many, in which "#"
// stands for the count.
struct TVersionLoss {
    long long Count = -1;
    std::string One, Many;
    // "1,204 shape points", "the title block".
    std::string Text() const;
};

// What a file of the given version (1, 3..9) written from net and settings
// would not keep, in the order the question names them; empty for version 9
// and for a network that holds nothing the version drops. One walk over the
// network.
std::vector<TVersionLoss> WhatVersionDrops(const TNetwork& net, const TWindowSettings& settings, int version);

// The question before such a file is written: "Version 1 does not keep:
// 1,204 shape points, 12 polygons, 3 notes, the values of 2 'S' attributes."
// versionName names the version as the Save As filter does ("Version 1").
std::string VersionLossQuestion(const std::string& versionName, const std::vector<TVersionLoss>& losses);
