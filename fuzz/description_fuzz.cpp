// libFuzzer target: a skin description read into a whole skin model (sections with
// inheritance, image values, extra sections, standard indexes). Image files are looked
// up in an empty package, so nothing touches the file system.
#include "platform/Exception.h"
#include "skin/data/sSkinImages.h"
#include "skin/data/sSkinSections.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // The first section doubles as the manager's extra lines.
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size() && lines.size() < 64) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(sj::TrimBlanks(text.substr(start, end == std::string::npos ? std::string::npos : end - start)));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    const sj::TacCommonSections common(sj::NormalizeCommonSectionLines(lines));

    const sj::TacMemIni description(text);
    const sj::TacSkinConvertor emptyPackage;
    const sj::TsSkinFiles files("", &emptyPackage);
    const sj::TsImageDecoders decoders = sj::StandardImageDecoders();
    const sj::TsSkinHost host = sj::TsSkinHost::Defaults();
    sj::TsSkinModel model;
    try {
        const sj::TsImageLoadContext context{description, files, decoders, &common,
                                             sj::NormalizeCommonSectionLines(lines)};
        sj::LoadImageItems(context, model);
        sj::LoadJpegPatterns(context, model);
        sj::ReadSkinGlobals(description, model.SkinGlobals, host);
        sj::LoadSectionTable(description, model, host);
        sj::AppendCommonSections(common, model);
        sj::CacheStandardIndexes(model, true, sj::TsBuiltinBorders{});
        for (std::int32_t i = 0; i < static_cast<std::int32_t>(model.Masks.size()); ++i) {
            (void)model.BorderLeftOf(i);
            (void)model.BorderBottomOf(i);
        }
    } catch (const sj::Exception&) {
    }
    return 0;
}
