#include "engine/PartFormat.h"

#include "platform/Exception.h"
#include "platform/PathUtils.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace sj {
namespace {

using ::testing::HasSubstr;

std::string Bytes(const std::byte* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

TEST(PartFormat, FirstHeaderLayout) {
    const uint64_t fiveGiBAndThree = (uint64_t{5} << 30) + 3;
    TFirstHeaderBlock block = EncodeFirstHeader(875, "report.doc", fiveGiBAndThree);
    std::string expected = std::string("SPLITTED") + '\x01' + std::string("\x95\0\0\0", 4) +
                           std::string("\x6B\x03\0\0", 4) + '\x0A' + "report.doc";
    EXPECT_EQ(Bytes(block.data(), expected.size()), expected);
    for (size_t i = expected.size(); i < SourceSizeOffset; ++i) {
        ASSERT_EQ(block[i], std::byte{0}) << "name field not zero-filled at " << i;
    }
    // Only the low 32 bits of the length fit: 5 GiB + 3 is stored as 1 GiB + 3.
    EXPECT_EQ(Bytes(block.data() + SourceSizeOffset, 4), std::string("\x03\0\0\x40", 4));
}

TEST(PartFormat, StoredNameIsCutTo127Characters) {
    std::string longName(200, 'n');
    TFirstHeaderBlock block = EncodeFirstHeader(1, longName, 1);
    EXPECT_EQ(static_cast<int>(block[NameLengthOffset]), 127);
    TPartHeader header = DecodePartHeader(block.data(), block.size());
    EXPECT_EQ(header.SourceName, std::string(127, 'n'));
    EXPECT_EQ(header.SourceSize, 1u);
}

TEST(PartFormat, ContinuationHeaders) {
    TPrefixBlock middle = EncodeContinuationHeader(false, 1007);
    TPrefixBlock last = EncodeContinuationHeader(true, 111);
    EXPECT_EQ(Bytes(middle.data(), middle.size()),
              std::string("SPLITTED\x00\x11\0\0\0\xEF\x03\0\0", 17));
    EXPECT_EQ(Bytes(last.data(), last.size()), std::string("SPLITTED\x02\x11\0\0\0\x6F\0\0\0", 17));

    TPartHeader header = DecodePartHeader(last.data(), last.size());
    EXPECT_EQ(header.Kind, PartKindLast);
    EXPECT_EQ(header.HeaderSize, 17);
    EXPECT_EQ(header.PayloadSize, 111);
    EXPECT_TRUE(header.SourceName.empty()) << "a continuation header has no name";
}

TEST(PartFormat, MagicIsCaseSensitiveAndComplete) {
    const std::byte* good = reinterpret_cast<const std::byte*>("SPLITTED");
    const std::byte* lower = reinterpret_cast<const std::byte*>("splitted");
    EXPECT_TRUE(HasPartMagic(good, 8));
    EXPECT_FALSE(HasPartMagic(good, 7));
    EXPECT_FALSE(HasPartMagic(lower, 8));
}

TEST(PartFormat, PartNamesFromTheDestinationPath) {
    const std::string d(1, PathDelimiter);
    TPartNameTemplate doc("out" + d + "report_split.doc");
    EXPECT_EQ(doc.Format(1), "out" + d + "report_split001.doc");
    EXPECT_EQ(doc.Format(42), "out" + d + "report_split042.doc");
    EXPECT_EQ(doc.Format(1000), "out" + d + "report_split1000.doc");
    // A dot in the folder is not the extension.
    EXPECT_EQ(TPartNameTemplate("a.d" + d + "notes_split").Format(7), "a.d" + d + "notes_split007");

    EXPECT_EQ(MakeSplitDestFile("in" + d + "archive.tar.gz", "out"), "out" + d + "archive.tar_split.gz");
    EXPECT_EQ(MakeSplitDestFile("in" + d + "notes", "out" + d), "out" + d + "notes_split");
    EXPECT_EQ(MakeSplitDestFile("in" + d + ".profile", "out"), "out" + d + "_split.profile");
    EXPECT_EQ(MakeSplitDestFile("in" + d + "report.doc", ""), "in" + d + "report_split.doc")
        << "no destination means the source's folder";
}

TEST(PartFormat, SiblingPatterns) {
    EXPECT_EQ(DeriveSiblingPattern("report_split007.doc").Wildcard(), "report_split*.doc");
    EXPECT_EQ(DeriveSiblingPattern("notes_split012").Wildcard(), "notes_split*");
    EXPECT_EQ(DeriveSiblingPattern("ab.bin").Wildcard(), "ab*.bin");
    EXPECT_EQ(DeriveSiblingPattern("archive.tar_split1000.gz").Wildcard(), "archive.tar_split*.gz");
    for (const char* hopeless : {"123.bin", "x7.bin", "a.bin", ".bin"}) {
        try {
            DeriveSiblingPattern(hopeless);
            ADD_FAILURE() << hopeless << " gave a pattern";
        } catch (const Exception& error) {
            EXPECT_STREQ(error.what(), "Sorry, can not extract info from file names");
        }
    }
    TSiblingPattern pattern = DeriveSiblingPattern("r_split001.doc");
    EXPECT_EQ(pattern.NumberOf("r_split1000.doc"), "1000");
    EXPECT_EQ(pattern.NumberOf("r_split_old.doc"), std::nullopt);
    EXPECT_EQ(pattern.NumberOf("r_split.doc"), std::nullopt);
}

TEST(PartFormat, NumbersCompareByValue) {
    EXPECT_LT(CompareNumbers("999", "1000"), 0);
    EXPECT_EQ(CompareNumbers("007", "7"), 0);
    EXPECT_GT(CompareNumbers("010", "009"), 0);
    EXPECT_LT(CompareNumbers("0", "1"), 0);
    EXPECT_LT(CompareNumbers("99999999999999999999998", "99999999999999999999999"), 0) << "no overflow";
}

TEST(PartFormat, JoinedFileNameIsTrimmed) {
    EXPECT_EQ(CheckJoinedFileName("  report.doc \t\r\n"), "report.doc");
    EXPECT_EQ(CheckJoinedFileName(std::string("\x01name.bin\0", 10)), "name.bin");
    EXPECT_EQ(CheckJoinedFileName("console.log"), "console.log");
    EXPECT_EQ(CheckJoinedFileName("COM10.txt"), "COM10.txt");
    EXPECT_EQ(CheckJoinedFileName("na\xE9me.txt"), "na\xE9me.txt") << "ANSI letters are fine";
}

TEST(PartFormat, JoinedFileNamesThatCouldEscapeOrFailAreRefused) {
    for (const char* bad : {"", "   ", "..", ".", "../evil.bin", "..\\evil.bin", "sub/x.bin", "C:evil.bin",
                            "a<b", "a>b", "a|b", "a?b", "a*b", "a\"b", "tab\tinside", "CON", "con.txt", "Nul",
                            "aux.tar.gz", "PRN", "COM1", "lpt9.doc", "COM1 .txt"}) {
        try {
            std::string accepted = CheckJoinedFileName(bad);
            ADD_FAILURE() << "accepted \"" << bad << "\" as \"" << accepted << "\"";
        } catch (const Exception& error) {
            EXPECT_THAT(error.what(), HasSubstr("file name")) << bad;
        }
    }
}

} // namespace
} // namespace sj
