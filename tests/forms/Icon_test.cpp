// Icons read from .ico files built here (image choice by size, drawing with alpha,
// saving, damaged files) and pictures choosing the graphic kind from the bytes.
#include "forms/Bitmap.h"
#include "forms/Icon.h"
#include "forms/Picture.h"
#include "platform/Exception.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace sj {
namespace {

void Add16(std::string& s, std::uint32_t v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void Add32(std::string& s, std::uint32_t v) {
    Add16(s, v & 0xFFFF);
    Add16(s, v >> 16);
}

// One 32-bit icon image (header, bottom-up pixels, AND mask) whose pixels come from
// `pixel(x, y)` with y counted from the top.
template <class F> std::string IconImage(int size, F pixel) {
    std::string image;
    Add32(image, 40);
    Add32(image, static_cast<std::uint32_t>(size));
    Add32(image, static_cast<std::uint32_t>(size * 2));
    Add16(image, 1);
    Add16(image, 32);
    for (int i = 0; i < 6; ++i) {
        Add32(image, 0);
    }
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            Add32(image, pixel(x, y));
        }
    }
    const int maskStride = ((size + 31) / 32) * 4;
    image += std::string(static_cast<std::size_t>(maskStride * size), '\0');
    return image;
}

std::string IconFile(const std::vector<std::pair<int, std::string>>& images) {
    std::string file;
    Add16(file, 0);
    Add16(file, 1);
    Add16(file, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const auto& [size, image] : images) {
        file += static_cast<char>(size);
        file += static_cast<char>(size);
        file += '\0';
        file += '\0';
        Add16(file, 1);
        Add16(file, 32);
        Add32(file, static_cast<std::uint32_t>(image.size()));
        Add32(file, offset);
        offset += static_cast<std::uint32_t>(image.size());
    }
    for (const auto& entry : images) {
        file += entry.second;
    }
    return file;
}

// 16 x 16: opaque red left half, clear right half. 32 x 32: half-transparent blue.
std::string TwoSizeIcon() {
    return IconFile({
        {16, IconImage(16, [](int x, int) { return x < 8 ? 0xFFFF0000u : 0x00000000u; })},
        {32, IconImage(32, [](int, int) { return 0x800000FFu; })},
    });
}

std::unique_ptr<TBitmap> WhiteBitmap(int size) {
    auto bitmap = std::make_unique<TBitmap>(size, size);
    bitmap->Canvas().Brush().SetColor(clWhite);
    bitmap->Canvas().FillRect(RECT{0, 0, size, size});
    return bitmap;
}

void LoadIcon(TIcon& icon, const std::string& file) {
    std::istringstream in(file);
    icon.LoadFromStream(in);
}

TEST(Icon, ChoosesTheImageClosestToTheWantedSize) {
    TIcon icon;
    icon.SetSize(16, 16);
    LoadIcon(icon, TwoSizeIcon());
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);
    ASSERT_EQ(icon.Images().size(), 2u);
    EXPECT_EQ(icon.Images()[1].Width, 32);

    icon.SetSize(30, 30);
    EXPECT_EQ(icon.Width(), 32) << "a loaded file is re-read at the new size";
    EXPECT_NE(icon.Handle(), nullptr);
}

TEST(Icon, DrawsWithItsAlpha) {
    TIcon icon;
    icon.SetSize(16, 16);
    LoadIcon(icon, TwoSizeIcon());
    auto target = WhiteBitmap(16);
    target->Canvas().Draw(0, 0, icon);
    EXPECT_EQ(target->ScanLine(3)[2] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target->ScanLine(3)[12] & 0xFFFFFF, 0xFFFFFFu);

    icon.SetSize(32, 32);
    auto big = WhiteBitmap(32);
    big->Canvas().Draw(0, 0, icon);
    const TPixel32 p = big->ScanLine(10)[10];
    EXPECT_NEAR(PixelR(p), 127, 3);
    EXPECT_EQ(PixelB(p), 255);
}

TEST(Icon, SavesFileBytesAndHandlesAlike) {
    TIcon icon;
    icon.SetSize(16, 16);
    const std::string file = TwoSizeIcon();
    LoadIcon(icon, file);
    std::ostringstream saved;
    icon.SaveToStream(saved);
    EXPECT_EQ(saved.str(), file) << "every image of the file is kept";

    TIcon fromHandle;
    fromHandle.SetHandle(::CopyIcon(icon.Handle()));
    EXPECT_EQ(fromHandle.Width(), 16);
    EXPECT_TRUE(fromHandle.Images().empty());
    std::ostringstream encoded;
    fromHandle.SaveToStream(encoded);

    TIcon reloaded;
    reloaded.SetSize(16, 16);
    LoadIcon(reloaded, encoded.str());
    auto target = WhiteBitmap(16);
    target->Canvas().Draw(0, 0, reloaded);
    EXPECT_EQ(target->ScanLine(5)[1] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target->ScanLine(5)[15] & 0xFFFFFF, 0xFFFFFFu);

    HICON released = reloaded.ReleaseHandle();
    EXPECT_TRUE(reloaded.Empty());
    EXPECT_TRUE(::DestroyIcon(released));
}

TEST(Icon, DamagedFilesAreRefused) {
    const std::string good = TwoSizeIcon();
    std::vector<std::string> damaged{"", std::string("\0\0\1\0\0\0", 6), good.substr(0, 20),
                                     good.substr(0, good.size() - 10)};
    std::string badOffset = good;
    badOffset[6 + 12] = '\xFF';
    badOffset[6 + 15] = '\x7F';
    damaged.push_back(badOffset);
    std::string cursor = good;
    cursor[2] = 2;
    damaged.push_back(cursor);

    TIcon icon;
    icon.SetSize(16, 16);
    LoadIcon(icon, good);
    HICON before = icon.Handle();
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        std::istringstream in(damaged[i]);
        EXPECT_THROW(icon.LoadFromStream(in), Exception) << "case " << i;
        EXPECT_EQ(icon.Handle(), before) << "case " << i;
    }
}

TEST(Picture, RecognisesKindsByTheirBytes) {
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&] { ++changes; };

    std::istringstream ico(TwoSizeIcon());
    picture.LoadFromStream(ico);
    ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_GT(picture.Width(), 0);

    TBitmap bitmap(3, 2);
    std::ostringstream bmp;
    bitmap.SaveToStream(bmp);
    std::istringstream bmpIn(bmp.str());
    picture.LoadFromStream(bmpIn, "misnamed.ico");
    ASSERT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr) << "the bytes win over the extension";
    EXPECT_EQ(picture.Width(), 3);

    const int before = changes;
    picture.Bitmap().SetSize(5, 5);
    EXPECT_GT(changes, before) << "changes of the held graphic reach the picture";

    std::istringstream junk("not a picture");
    EXPECT_THROW(picture.LoadFromStream(junk, "x.xyz"), Exception);
    EXPECT_EQ(picture.Width(), 5) << "a failed load keeps the old graphic";

    picture.Icon();
    EXPECT_TRUE(picture.Empty()) << "asking for an icon switches to an empty one";
    picture.Assign(&bitmap);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_NE(picture.Graphic(), &bitmap);
}

// A kind registered later, recognised by its signature.
class TTestGraphic : public TGraphic {
public:
    int Width() const override { return FLoaded ? 7 : 0; }
    int Height() const override { return FLoaded ? 7 : 0; }
    void Draw(TCanvas&, const RECT&) override {}
    void LoadFromStream(std::istream&) override { FLoaded = true; }
    void SaveToStream(std::ostream&) const override {}
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TTestGraphic>(); }
    std::string_view ClassName() const override { return "TTestGraphic"; }

private:
    bool FLoaded = false;
};

TEST(Picture, LaterFormatsRegisterBySignature) {
    TPicture::RegisterFileFormat(
        {"tst", "Test pictures",
         [](const std::uint8_t* d, std::size_t n) { return n >= 3 && d[0] == 'T' && d[1] == 'S'; },
         [] { return std::unique_ptr<TGraphic>(std::make_unique<TTestGraphic>()); }});
    TPicture picture;
    std::istringstream in("TST...");
    picture.LoadFromStream(in);
    ASSERT_NE(dynamic_cast<TTestGraphic*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 7);
    EXPECT_NE(TPicture::GraphicFilter().find("*.tst"), std::string::npos);
}

} // namespace
} // namespace sj
