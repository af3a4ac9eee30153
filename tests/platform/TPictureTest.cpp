#include "platform/TPicture.h"
#include "platform/Exception.h"

#include "TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

namespace {

using testing::HasSubstr;

// A kind of bitmap a test registers, to see which kind the picture made.
class MarkedBitmap : public TBitmap {};

// Restores the standard registration however a test changed it.
class TPictureTest : public testing::Test {
protected:
    ~TPictureTest() override {
        TPicture::UnregisterFileFormat("tst");
        TPicture::RegisterFileFormat("BMP", "Bitmaps", [] { return std::make_unique<TBitmap>(); });
    }

    std::string SavedBitmap(const std::string& name) const {
        TBitmap bitmap;
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(3, 2);
        bitmap.SetPixel(2, 1, 0x123456);
        const std::string path = folder.File(name);
        bitmap.SaveToFile(path);
        return path;
    }

    TemporaryFolder folder;
    TPicture picture;
};

TEST_F(TPictureTest, BitmapFilesAreReadByTheStandardBitmapWhateverTheCase) {
    for (const char* name : {"a.bmp", "b.BMP", "c.Bmp"}) {
        picture.LoadFromFile(SavedBitmap(name));
        ASSERT_NE(picture.Graphic(), nullptr);
        EXPECT_EQ(typeid(*picture.Graphic()), typeid(TBitmap)) << name;
        EXPECT_EQ(picture.Bitmap().Pixel(2, 1), 0x123456u) << name;
    }
}

TEST_F(TPictureTest, UnknownExtensionIsRefusedNamingIt) {
    for (const auto& [name, message] :
         {std::pair{"picture.xyz", "Unknown picture file extension (.xyz)"},
          {"no-extension", "Unknown picture file extension ()"},
          {"folder.bmp/picture", "Unknown picture file extension ()"}}) {
        try {
            picture.LoadFromFile(folder.File(name));
            ADD_FAILURE() << name << ": no error";
        } catch (const EInvalidGraphic& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
}

TEST_F(TPictureTest, RegisteredFactoryMakesTheGraphicAndUnregisteringForgetsIt) {
    const std::string path = SavedBitmap("picture.TST");
    TPicture::RegisterFileFormat(".tst", "Test pictures",
                                 [] { return std::make_unique<MarkedBitmap>(); });
    EXPECT_THAT(TPicture::FileFilter(), HasSubstr("Test pictures (*.tst)"));
    picture.LoadFromFile(path);
    EXPECT_NE(dynamic_cast<MarkedBitmap*>(picture.Graphic()), nullptr);

    TPicture::UnregisterFileFormat("TST");
    EXPECT_THROW(picture.LoadFromFile(path), EInvalidGraphic);
    EXPECT_THAT(TPicture::FileFilter(), testing::Not(HasSubstr("Test pictures")));
}

TEST_F(TPictureTest, FailedLoadKeepsTheGraphic) {
    picture.LoadFromFile(SavedBitmap("good.bmp"));
    const TBitmap* const before = picture.Graphic();
    WriteFileBytes(folder.File("bad.bmp"), "garbage");
    EXPECT_THROW(picture.LoadFromFile(folder.File("bad.bmp")), EInvalidGraphic);
    EXPECT_EQ(picture.Graphic(), before);
    EXPECT_EQ(picture.Bitmap().Pixel(2, 1), 0x123456u);
}

TEST_F(TPictureTest, BitmapIsMadeWhenThereIsNone) {
    EXPECT_EQ(picture.Graphic(), nullptr);
    TBitmap& bitmap = picture.Bitmap();
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(picture.Graphic(), &bitmap);
}

TEST_F(TPictureTest, FiresOnChangeWhenTheGraphicIsReplacedOrChanges) {
    int changes = 0;
    picture.OnChange = [&](TPicture& sender) {
        EXPECT_EQ(&sender, &picture);
        ++changes;
    };
    picture.SetGraphic(std::make_unique<TBitmap>());
    EXPECT_EQ(changes, 1);
    picture.Bitmap().SetSize(2, 2);
    EXPECT_EQ(changes, 2);
    picture.LoadFromFile(SavedBitmap("x.bmp"));
    EXPECT_EQ(changes, 3);
}

} // namespace
