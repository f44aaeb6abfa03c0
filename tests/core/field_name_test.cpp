#include "core/cp1250.h"
#include "core/field_name.h"

#include <gtest/gtest.h>
#include <string>

using namespace vorlan;

TEST(FieldName, CaseOfCzechLettersAndTrailingPaddingDoNotCount) {
    EXPECT_TRUE(sameFieldName(czech("ČÁSTKA"), czech("částka")));
    EXPECT_TRUE(sameFieldName(czech("ŽÁK_Ř"), czech("žák_ř  ")));
    EXPECT_TRUE(sameFieldName(std::string("NAME\0\0", 6), "name "));
    EXPECT_TRUE(sameFieldName("", "   "));
}

TEST(FieldName, DifferentLettersLeadingBlanksAndPrefixesAreOtherNames) {
    // A Czech letter is not its unaccented base letter.
    EXPECT_FALSE(sameFieldName(czech("ČÍSLO"), "CISLO"));
    EXPECT_FALSE(sameFieldName(" NAME", "NAME"));
    EXPECT_FALSE(sameFieldName("NAME", "NAMES"));
    EXPECT_FALSE(sameFieldName("NA ME", "NAME"));
}
