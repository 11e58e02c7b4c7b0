// The range rule of the interval and count boxes and the compressor list of the video page.

#include "capture/CompressorList.h"
#include "capture/RangeEditModel.h"

#include <gtest/gtest.h>

using namespace korvel::capture;

TEST(RangeEditModel, LeadingZerosGoAndTheNumberIsKept) {
    RangeEditModel count(1, 1000);
    const auto r = count.edited("007");
    EXPECT_EQ(r.text, "7");
    EXPECT_EQ(r.caret, RangeEditModel::Caret::Start);
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(count.value(), 7);
    EXPECT_EQ(count.edited("000").text, "7");  // "0" is below the range: put back
}

TEST(RangeEditModel, OutOfRangeBringsBackTheLastValueWithABeep) {
    RangeEditModel count(1, 1000);
    count.edited("200");
    const auto r = count.edited("2000");
    EXPECT_EQ(r.text, "200");
    EXPECT_EQ(r.caret, RangeEditModel::Caret::End);
    EXPECT_TRUE(r.beep);
    EXPECT_EQ(count.value(), 200);
    const auto zero = count.edited("0");
    EXPECT_EQ(zero.text, "200");
    EXPECT_TRUE(zero.beep);
    const auto letters = count.edited("2a");
    EXPECT_EQ(letters.text, "200");
    EXPECT_TRUE(letters.beep);
}

TEST(RangeEditModel, EmptyTextHasNoValue) {
    RangeEditModel space(0, 60);
    EXPECT_EQ(space.value(), 0);
    const auto r = space.edited("");
    EXPECT_FALSE(r.beep);
    EXPECT_EQ(space.value(), -1);
    const auto bad = space.edited("99");
    EXPECT_EQ(bad.text, "");
    EXPECT_TRUE(bad.beep);
    EXPECT_EQ(space.edited("0").text, "0");
    EXPECT_EQ(space.value(), 0);
    EXPECT_EQ(space.setValue(300), "60");
}

TEST(CompressorList, EqualDescriptionsAreListedOnce) {
    const FourCC mp42{'M', 'P', '4', '2'};
    const FourCC xvid{'X', 'V', 'I', 'D'};
    const FourCC hfyu{'H', 'F', 'Y', 'U'};
    const FourCC cvid{'c', 'v', 'i', 'd'};
    const auto list = buildCompressorList({{mp42, "MPEG-4", true},
                                           {hfyu, "Huffyuv", true},
                                           {xvid, "MPEG-4", true},
                                           {cvid, "Cinepak", true}});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].code, hfyu);
    EXPECT_EQ(list[0].enumerationIndex, 1);
    // The later one takes the place of the earlier, at the end.
    EXPECT_EQ(list[1].code, xvid);
    EXPECT_EQ(list[1].enumerationIndex, 2);
}

TEST(CompressorList, UnacceptedDuplicateRemovesTheListedEntry) {
    const auto list = buildCompressorList({{FourCC{'M', 'P', '4', '2'}, "Same", true},
                                           {FourCC{'m', 'p', '4', '2'}, "Same", true},
                                           {FourCC{'H', 'F', 'Y', 'U'}, "Other", false}});
    EXPECT_TRUE(list.empty());  // lower case is not accepted; unopenable is skipped
}

TEST(CompressorList, IndexBeyondTheListMeansNoCompressor) {
    const auto list = buildCompressorList(installedCompressors());
    EXPECT_EQ(compressorSelection(50, list.size()), static_cast<int>(list.size()));
    EXPECT_EQ(compressorSelection(-1, list.size()), static_cast<int>(list.size()));
    EXPECT_EQ(compressorCodeAt(list, static_cast<int>(list.size())), kUncompressedCode);
    EXPECT_EQ(compressorCodeAt(list, 99), kUncompressedCode);
}

TEST(CompressorList, InstalledAreTheEncodableAcceptedCodesInOrder) {
    const auto installed = installedCompressors();
    const auto codes = encodableCompressors();
    ASSERT_EQ(installed.size(), codes.size());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        EXPECT_EQ(installed[i].code, codes[i]);
        EXPECT_FALSE(installed[i].description.empty());
        EXPECT_TRUE(isAcceptedCompressor(installed[i].code));
    }
    EXPECT_TRUE(takesQuality(FourCC{'X', 'V', 'I', 'D'}));
    EXPECT_FALSE(takesQuality(FourCC{'H', 'F', 'Y', 'U'}));
    EXPECT_FALSE(takesQuality(kUncompressedCode));
}
