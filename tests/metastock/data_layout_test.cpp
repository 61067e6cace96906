// The fields of a data file that has no column list follow from how many values its records hold.

#include <gtest/gtest.h>

#include "metastock/data_file_reader.h"

using namespace metastock;

TEST(DataLayout, FieldCountGivesTheUsualFieldsWhenThereIsNoColumnList)
{
    const struct {
        int nFields;
        const char* szLetters;  // "" when the count fits no usual layout
    } kCounts[] = {{4, ""}, {5, "DHLCV"}, {6, "DOHLCV"}, {7, "DOHLCVI"}, {8, "DTOHLCVI"}, {9, ""}, {0, ""}};
    for (const auto& count : kCounts) {
        DataLayout layout;
        EXPECT_EQ(LayoutFromFieldCount(count.nFields, layout), *count.szLetters != '\0') << count.nFields;
        EXPECT_EQ(layout.Letters(), count.szLetters) << count.nFields;
    }
}
