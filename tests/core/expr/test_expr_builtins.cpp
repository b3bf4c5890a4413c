#include "core/expr/BuiltinProperties.h"
#include "test_expr_support.h"

#include <gtest/gtest.h>

using namespace exprtest;

TEST(BuiltinProperties, TableEntriesAndShortNames)
{
    const BuiltinPropertyTable& t = BuiltinProperties();
    EXPECT_EQ(t.PropertyCounts[0], 18);
    EXPECT_EQ(t.PropertyCounts[1], 13);
    EXPECT_EQ(t.PropertyNames(0, 13).Name, "Latitude");
    EXPECT_TRUE(t.PropertyNames(0, 13).ShortName.empty());
    EXPECT_EQ(t.PropertyNames(1, 12).Code, '@');
    EXPECT_EQ(t.PropertyNames(1, 12).ShortKey, "AZIMUTH");
    ASSERT_NE(t.FindShortName(0, "CENTROIDX"), nullptr);
    EXPECT_EQ(t.FindShortName(0, "CENTROIDX")->Code, '^');
    EXPECT_EQ(t.FindShortName(1, "CENTROIDX"), nullptr);
    EXPECT_EQ(t.FindShortName(0, ""), nullptr); // the unnamed Latitude entry never matches
    ASSERT_NE(t.FindShortName(1, "LENGTH"), nullptr);
    EXPECT_EQ(t.FindShortName(1, "LENGTH")->Code, 'l');
}

TEST(BuiltinProperties, RecordLayoutCompiler)
{
    TEntityClass classes;
    for (int i = 1; i <= 11; ++i) AddAttribute(classes[3], 'R', "");
    AddAttribute(classes[3], 'R', "Speed");  // 12
    for (int i = 13; i <= 40; ++i) AddAttribute(classes[3], 'R', "");
    AddAttribute(classes[3], 'R', "Lanes");  // 41
    AddAttribute(classes[3], 'R', "NodeX");  // 42: an alias hides the keyword
    EXPECT_EQ(CompileRecordFormat("ENTITY,NODEX,NODEY", nullptr, 0, 0), "XKXXXY");
    EXPECT_EQ(CompileRecordFormat("entity,NodeX,nodey", nullptr, 0, 0), "XKXXXY");
    EXPECT_EQ(CompileRecordFormat("speed", &classes, 3, 0), "ac");
    EXPECT_EQ(CompileRecordFormat("LANES,SPEED", &classes, 3, 0), "b6ac");
    EXPECT_EQ(CompileRecordFormat("NODEX", &classes, 3, 0), "b7");
    EXPECT_EQ(CompileRecordFormat("12", nullptr, 0, 0), "X1X2");
    EXPECT_EQ(CompileRecordFormat("AZIMUTH", nullptr, 0, 1), "X@");
    EXPECT_EQ(CompileRecordFormat("AZIMUTH", nullptr, 0, 0), "XAXZXIXMXUXTXH");
    EXPECT_EQ(CompileRecordFormat("LAT:LONG", nullptr, 0, 0), "X|:X-");
    EXPECT_EQ(CompileRecordFormat("BLANK,,ZERO", nullptr, 0, 1), "X{X0");
    std::string many;
    for (int i = 0; i < 200; ++i) many += "ZERO,";
    EXPECT_EQ(CompileRecordFormat(many, nullptr, 0, 0).size(), 255u);
}
