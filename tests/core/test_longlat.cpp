#include "core/LongLat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

TEST(LongLatMath, ProjectionsRoundTripWithinOneTenMillionthDegree)
{
    for (int method : {2, 3}) {
        for (double ppd : {-1000.0, -36000.0, 500.0}) {
            TLongLatPivot pivot{12345.5, -6789.25, -882500000, 405000000};
            TProjection proj;
            ASSERT_TRUE(SetupPivotProjection(proj, method, pivot, ppd));
            int worst = 0;
            for (int i = -6; i <= 6; ++i)
                for (int j = -6; j <= 6; ++j) {
                    const int32_t lon = pivot.Longitude + i * 3300000 + j * 17;
                    const int32_t lat = pivot.Latitude + j * 2500000 - i * 31;
                    double x, y;
                    ASSERT_TRUE(PositionFromLongLat(method, proj, lon, lat, pivot, ppd, x, y));
                    int32_t lon2 = 0, lat2 = 0;
                    ASSERT_TRUE(ProjectedPosition(proj, x, y, pivot, ppd, lon2, lat2));
                    worst = std::max({worst, std::abs(lon2 - lon), std::abs(lat2 - lat)});
                }
            EXPECT_LE(worst, 1) << "method " << method << " scale " << ppd;
        }
    }
}

} // namespace
