// libFuzzer target: the skin package reader, then the description it unpacks.
#include "platform/Exception.h"
#include "skin/data/acMemIni.h"
#include "skin/data/acSkinPack.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sj::TacSkinConvertor reader;
    try {
        reader.ReadPackage(std::span<const std::uint8_t>(data, size));
    } catch (const sj::Exception&) {
        return 0;
    }
    const sj::TacBytes& text = *reader.DescriptionStream;
    const sj::TacMemIni description(std::string(text.begin(), text.end()));
    for (const sj::TacImageItem& member : reader.Members) {
        (void)reader.FindMember(sj::UpperCase(member.MemberName));
    }
    (void)description.Sections().size();
    return 0;
}
