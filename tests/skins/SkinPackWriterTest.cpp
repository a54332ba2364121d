#include "tools/skingen/SkinPackWriter.h"

#include "platform/Exception.h"

#include <gtest/gtest.h>
#include <zlib.h>

namespace sj::skingen {
namespace {

std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(std::uint32_t{b[at]} | (std::uint32_t{b[at + 1]} << 8) |
                                     (std::uint32_t{b[at + 2]} << 16) | (std::uint32_t{b[at + 3]} << 24));
}

// Inflates one zlib stream starting at `at`; returns the bytes and moves `at` past its end.
std::vector<std::uint8_t> InflateAt(const std::vector<std::uint8_t>& b, std::size_t& at, std::size_t size) {
    std::vector<std::uint8_t> out(size);
    z_stream z{};
    EXPECT_EQ(inflateInit(&z), Z_OK);
    z.next_in = const_cast<Bytef*>(b.data() + at);
    z.avail_in = static_cast<uInt>(b.size() - at);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(z.avail_out, 0u);
    at = b.size() - z.avail_in;
    inflateEnd(&z);
    return out;
}

TEST(SkinPackWriter, MembersFollowEachOtherInTheOrderAdded) {
    TacSkinPackWriter w;
    const std::vector<std::uint8_t> description{'[', 'G', ']'};
    std::vector<std::uint8_t> image(70000);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 / 3); // spans more than one inflate block
    w.AddMember("Options.dat", description);
    w.AddMember("Master copy.bmp", image);
    w.AddMember("ExtB.PNG", {1});
    const std::vector<std::uint8_t> b = w.Encode();

    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "ASzf");
    ASSERT_EQ(Int32At(b, 4), 3);
    std::size_t at = 8;
    const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> expected{
        {"Options.dat", description}, {"Master copy.bmp", image}, {"ExtB.PNG", {1}}};
    for (const auto& [name, content] : expected) {
        const std::int32_t nameLength = Int32At(b, at);
        at += 4;
        EXPECT_EQ(std::string(b.begin() + static_cast<std::ptrdiff_t>(at),
                              b.begin() + static_cast<std::ptrdiff_t>(at) + nameLength),
                  name);
        at += static_cast<std::size_t>(nameLength);
        const std::int32_t size = Int32At(b, at);
        at += 4;
        ASSERT_EQ(static_cast<std::size_t>(size), content.size());
        EXPECT_EQ(InflateAt(b, at, content.size()), content) << name;
    }
    // Nothing marks a member's end but its zlib trailer, so no bytes may follow the last one.
    EXPECT_EQ(at, b.size());
}

TEST(SkinPackWriter, RefusesMembersThatReadersCouldNotTellApart) {
    TacSkinPackWriter w;
    w.AddMember("Master.bmp", {1, 2});
    EXPECT_THROW(w.AddMember("MASTER.BMP", {3}), Exception); // names compare without case
    EXPECT_THROW(w.AddMember("Empty.bmp", {}), Exception);
    EXPECT_THROW(w.AddMember("", {1}), Exception);
    EXPECT_THROW(w.AddMember("sub\\file.bmp", {1}), Exception);
    EXPECT_EQ(w.MemberCount(), 1u);
}

} // namespace
} // namespace sj::skingen
