// The DAT-information line of a foam set from drawings cut on the faces: a reader of the four
// foam fields sees a foam set at its tower sizes, the whole line gives the design, and a wing
// face set's line is not taken for one.
#include <gtest/gtest.h>

#include "generate/face_set_record.h"

namespace corvane::test {
namespace {

TEST(FoamFaceSetRecord, FourFieldReadersSeeAFoamSetAndTheWholeLineGivesTheDesign) {
    FaceDesign d;
    d.leftChordMm = 150, d.rightChordMm = 90;
    d.towersMm = 600, d.leftGapMm = 100, d.spanMm = 400;
    d.sweepMm = 40, d.riseMm = -2.5;
    d.leftKerfMm = 0.3, d.rightKerfMm = 0.5;
    const std::string line =
        foamFaceDatInfoLine("/d/root-root-1.dat", "/d/tip-tip-2.dat", 165, 75, d);
    const std::vector<std::string> four = readDatInfoFields(line, 4);
    EXPECT_EQ(four,
              (std::vector<std::string>{"/d/root-root-1.dat", "/d/tip-tip-2.dat", "165", "75"}));
    std::string why;
    EXPECT_FALSE(faceDesignFromFields(four, why));
    EXPECT_TRUE(why.empty());

    const std::vector<std::string> all = readDatInfoFields(line, kFaceDatInfoFields);
    EXPECT_EQ(all.size(), kFoamFaceDatInfoFields);
    EXPECT_TRUE(isFoamFaceSet(all));
    const std::optional<FaceDesign> back = faceDesignFromFields(all, why);
    ASSERT_TRUE(back) << why;
    double FaceDesign::*const fields[] = {
        &FaceDesign::leftChordMm, &FaceDesign::rightChordMm, &FaceDesign::towersMm,
        &FaceDesign::leftGapMm,   &FaceDesign::spanMm,       &FaceDesign::sweepMm,
        &FaceDesign::riseMm,      &FaceDesign::leftKerfMm,   &FaceDesign::rightKerfMm};
    for (double FaceDesign::*f : fields) EXPECT_EQ((*back).*f, d.*f);

    // Cut short after the mark: said, not taken for a plain foam set.
    const std::vector<std::string> shortLine(all.begin(), all.begin() + 10);
    EXPECT_FALSE(faceDesignFromFields(shortLine, why));
    EXPECT_NE(why.find("10 of its 17"), std::string::npos) << why;

    // A wing face set keeps its mark after its eight fields and is no foam set.
    WingDatInfo info;
    info.leftPath = "/a/naca2412.dat";
    info.rightPath = "/a/naca0012.dat";
    const std::vector<std::string> wing =
        readDatInfoFields(faceDatInfoLine(info, d), kFaceDatInfoFields);
    EXPECT_EQ(faceMarkField(wing), 8u);
    EXPECT_FALSE(isFoamFaceSet(wing));
    EXPECT_EQ(faceMarkField(four), 0u);
}

}  // namespace
}  // namespace corvane::test
