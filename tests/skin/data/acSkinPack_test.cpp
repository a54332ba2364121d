#include "skin/data/acSkinPack.h"

#include "SkinTestKit.h"
#include "platform/Exception.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using test::Bytes;
using test::MakePackage;
using test::TMember;
using ::testing::HasSubstr;

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(SkinPackage, ReadsDescriptionUnderAnyCaseAndImagesInOrder) {
    const TacBytes package = MakePackage({{"Master copy.bmp", Bytes("master")},
                                          {"OPTIONS.DAT", Bytes("[GLOBALINFO]\nVERSION=8.00\n")},
                                          {"ExtB.PNG", Bytes("png-bytes")},
                                          {"body_bg.jpg", Bytes("jpeg")}});
    TacSkinConvertor reader;
    reader.ReadPackage(package);

    ASSERT_TRUE(reader.DescriptionStream);
    EXPECT_EQ(std::string(reader.DescriptionStream->begin(), reader.DescriptionStream->end()),
              "[GLOBALINFO]\nVERSION=8.00\n");
    EXPECT_EQ(reader.ImageMemberCount, 3);
    ASSERT_EQ(reader.Members.size(), 3u);
    EXPECT_EQ(reader.Members[0].MemberName, "Master copy.bmp");
    EXPECT_TRUE(reader.Members[0].IsBmp);
    EXPECT_EQ(reader.Members[1].MemberName, "ExtB.PNG");
    EXPECT_FALSE(reader.Members[1].IsBmp);
    EXPECT_EQ(reader.Members[2].Content, Bytes("jpeg"));
    EXPECT_EQ(reader.FindMember("EXTB.PNG"), &reader.Members[1]);
    EXPECT_EQ(reader.FindMember("ExtB.PNG"), nullptr);
}

TEST(SkinPackage, DescriptionOnlyPackageHasNoImageMembers) {
    TacSkinConvertor reader;
    reader.ReadPackage(MakePackage({{"options.dat", Bytes("[FORM]\n")}}));
    EXPECT_EQ(reader.ImageMemberCount, 0);
    EXPECT_TRUE(reader.Members.empty());
    ASSERT_TRUE(reader.DescriptionStream);
}

TEST(SkinPackage, InflateStopsExactlyAtTheEndOfEachStream) {
    // Two members whose streams are shorter than one read block: the reader must hand
    // back what it read ahead, or the second member's header would be lost.
    const TacBytes first(70000, 'a');
    TacBytes second;
    for (int i = 0; i < 5000; ++i) {
        second.push_back(static_cast<std::uint8_t>(i * 7));
    }
    const TacBytes package = MakePackage({{"Options.dat", first}, {"b.bmp", second}});
    TacByteSource source(package);
    source.Seek(8);
    for (const auto& [name, content] : {std::pair{"Options.dat", first}, std::pair{"b.bmp", second}}) {
        const std::int32_t nameLength = source.ReadInt32();
        std::string read(static_cast<std::size_t>(nameLength), '\0');
        source.ReadExact(read.data(), read.size());
        EXPECT_EQ(read, name);
        const std::int32_t size = source.ReadInt32();
        EXPECT_EQ(InflateMember(source, size), content);
    }
    EXPECT_EQ(source.Position(), package.size());
}

TEST(SkinPackage, WrongMagicIsRejectedAndTheSourceKept) {
    TacBytes package = MakePackage({{"Options.dat", Bytes("[A]\n")}});
    package[3] = 'F'; // "ASzF"
    const TacBytes before = package;
    TacSkinConvertor reader;
    EXPECT_EQ(ErrorOf([&] { reader.ReadPackage(package); }), "Loaded data is not a packed skin file");
    EXPECT_EQ(package, before);
    EXPECT_FALSE(reader.DescriptionStream);

    EXPECT_EQ(ErrorOf([&] { reader.ReadPackage({}); }), "Loaded data is not a packed skin file");
}

TEST(SkinPackage, DamagedPackagesEndWithAnError) {
    const TacBytes good = MakePackage({{"Options.dat", Bytes("[GLOBALINFO]\nVERSION=8\n")}, {"a.bmp", Bytes("xyz")}});
    TacSkinConvertor reader;

    // Cut at every length: each must fail cleanly, none may crash or read past the end.
    for (std::size_t length = 0; length < good.size(); ++length) {
        const TacBytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_THROW(reader.ReadPackage(cut), Exception) << "length " << length;
        EXPECT_TRUE(reader.Members.empty());
    }

    TacBytes corrupt = good;
    corrupt[8 + 4 + 11 + 4 + 2] ^= 0xFF; // first byte of deflate data
    EXPECT_THROW(reader.ReadPackage(corrupt), Exception);

    TacBytes badHeader = good;
    badHeader[8 + 4 + 11 + 4] = 0x00; // zlib header check fails
    EXPECT_EQ(ErrorOf([&] { reader.ReadPackage(badHeader); }), "data error");

    EXPECT_THAT(ErrorOf([&] {
                    reader.ReadPackage(MakePackage({{"Options.dat", Bytes("abc")}}, +1));
                }),
                HasSubstr("Stream read error"));
    EXPECT_THAT(ErrorOf([&] {
                    reader.ReadPackage(MakePackage({{"Options.dat", Bytes("abc")}}, -1));
                }),
                HasSubstr("larger than its stored size"));
    EXPECT_THAT(ErrorOf([&] {
                    reader.ReadPackage(MakePackage({{"Options.dat", Bytes("abc")}}, -10));
                }),
                HasSubstr("invalid size"));
}

TEST(SkinPackage, HostileCountsAndLengthsAreRejected) {
    TacSkinConvertor reader;
    TacBytes hugeName = Bytes("ASzf");
    test::PutInt32(hugeName, 1);
    test::PutInt32(hugeName, 0x7FFFFFFF);
    EXPECT_THROW(reader.ReadPackage(hugeName), EFileError);

    TacBytes negativeName = Bytes("ASzf");
    test::PutInt32(negativeName, 1);
    test::PutInt32(negativeName, -5);
    EXPECT_THROW(reader.ReadPackage(negativeName), EFileError);

    // Member counts no package can hold, down to the lowest 32-bit number (where
    // "count - 1" would overflow), and more members than bytes left.
    for (const std::int32_t count : {-3, -2147483647 - 1, 1000}) {
        TacBytes badCount = Bytes("ASzf");
        test::PutInt32(badCount, count);
        test::PutInt32(badCount, 0);
        EXPECT_THAT(ErrorOf([&] { reader.ReadPackage(badCount); }), HasSubstr("Stream read error")) << count;
        EXPECT_EQ(reader.ImageMemberCount, 0);
    }

    TacBytes noMembers = Bytes("ASzf");
    test::PutInt32(noMembers, 0);
    EXPECT_THAT(ErrorOf([&] { reader.ReadPackage(noMembers); }), HasSubstr("Options.dat"));
}

TEST(SkinPackage, PackageWithoutDescriptionCannotBeLoaded) {
    TacSkinConvertor reader;
    EXPECT_THAT(ErrorOf([&] {
                    reader.ReadPackage(MakePackage({{"Master.bmp", Bytes("x")}}));
                }),
                HasSubstr("no skin description"));
    EXPECT_TRUE(reader.Members.empty());
}

TEST(SkinPackage, LoadPackageFileIgnoresMissingFilesAndReusesTheReader) {
    test::TTempFolder folder;
    std::unique_ptr<TacSkinConvertor> reader;
    LoadPackageFile((folder.Path() / "none.asz").string(), reader);
    EXPECT_FALSE(reader);

    folder.Write("a.asz", MakePackage({{"Options.dat", Bytes("[A]\n")}, {"x.png", Bytes("1")}}));
    folder.Write("b.asz", MakePackage({{"Options.dat", Bytes("[B]\n")}}));
    LoadPackageFile((folder.Path() / "a.asz").string(), reader);
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->Members.size(), 1u);
    TacSkinConvertor* same = reader.get();
    LoadPackageFile((folder.Path() / "b.asz").string(), reader);
    EXPECT_EQ(reader.get(), same);
    EXPECT_TRUE(reader->Members.empty());
    EXPECT_EQ(*reader->DescriptionStream, Bytes("[B]\n"));
}

TEST(StoredSkins, IndexOfSkinIsCaseSensitiveAndChangesAreAnnounced) {
    TsStoredSkins skins;
    int changes = 0;
    skins.OnSkinListChanged = [&] { ++changes; };
    TsStoredSkin zest;
    zest.Name = "Zest (internal)";
    skins.Add(zest);
    TsStoredSkin other;
    other.Name = "Other (internal)";
    skins.Add(other);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(skins.IndexOfSkin("Zest (internal)"), 0);
    EXPECT_EQ(skins.IndexOfSkin("zest (internal)"), -1);
    skins.Update(1, [](TsStoredSkin& s) { s.Author = "me"; });
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(skins[1].Author, "me");
    skins.Delete(5);
    skins.Delete(-1);
    EXPECT_EQ(skins.Count(), 2);
    EXPECT_EQ(changes, 3);

    TsStoredSkin copy;
    copy.Assign(skins[1]);
    EXPECT_EQ(copy.Name, "Other (internal)");
    EXPECT_EQ(copy.Shadow1Blur, -1);
    EXPECT_EQ(copy.BorderColor, 0x00FF00FFu);
}

} // namespace
} // namespace sj
