#include "engine/PartSeries.h"

#include "platform/Exception.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/PathUtils.h"

#include <algorithm>

namespace sj {

namespace {

bool StartsWithMagic(const std::string& path) {
    try {
        TFileStream part = TFileStream::OpenRead(path);
        std::byte magic[PartMagicSize];
        return part.Read(magic, sizeof magic) == sizeof magic && HasPartMagic(magic, sizeof magic);
    } catch (const EFileError&) {
        return true; // unreadable: keep it, the join names it
    }
}

std::string Quoted(const std::string& name) { return "\"" + name + "\""; }

std::string CheckFirstPart(const TPartInfo& first) {
    if (!first.HasHeader || first.Header.Kind != PartKindFirst || first.Header.HeaderSize != FirstHeaderSize ||
        first.FileSize < FirstHeaderSize) {
        return "The part " + Quoted(first.Name) + " is not the first part of a series (part 1 is missing)";
    }
    return {};
}

std::string CheckPartLength(const TPartInfo& part, bool isFirst) {
    const TPartHeader& h = part.Header;
    int32_t expectedHeader = isFirst ? FirstHeaderSize : PrefixHeaderSize;
    if (h.HeaderSize != expectedHeader) {
        return "The part " + Quoted(part.Name) + " has a damaged header (header size " +
               std::to_string(h.HeaderSize) + ")";
    }
    if (h.PayloadSize < 0 || int64_t{h.HeaderSize} + h.PayloadSize != part.FileSize) {
        return "The part " + Quoted(part.Name) + " is damaged: its header promises " + std::to_string(h.PayloadSize) +
               " bytes of data, the file holds " + std::to_string(part.FileSize - h.HeaderSize);
    }
    return {};
}

bool IsNextNumber(const std::string& previous, const std::string& next) {
    // previous + 1 == next, on digit strings of any length.
    std::string incremented = previous;
    size_t i = incremented.size();
    while (i > 0 && incremented[i - 1] == '9') {
        incremented[--i] = '0';
    }
    if (i == 0) {
        incremented.insert(incremented.begin(), '1');
    } else {
        ++incremented[i - 1];
    }
    return CompareNumbers(incremented, next) == 0;
}

} // namespace

void CheckIsPartFile(const std::string& path) {
    TFileStream file = TFileStream::OpenRead(path);
    std::byte prefix[PrefixHeaderSize];
    if (file.Read(prefix, sizeof prefix) < sizeof prefix || !HasPartMagic(prefix, sizeof prefix)) {
        throw Exception("This file is not our split file");
    }
}

void SortPartNames(std::vector<std::string>& names, const TSiblingPattern& pattern) {
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        auto numberA = pattern.NumberOf(a);
        auto numberB = pattern.NumberOf(b);
        int byNumber = (numberA && numberB) ? CompareNumbers(*numberA, *numberB) : 0;
        return byNumber != 0 ? byNumber < 0 : CompareFileNames(a, b) < 0;
    });
}

std::vector<std::string> FindSeriesParts(const std::string& folder, const TSiblingPattern& pattern) {
    std::vector<std::string> names;
    for (const TDirEntry& entry : ListDirectory(folder, pattern.Wildcard())) {
        if (entry.IsDirectory || !pattern.NumberOf(entry.Name)) {
            continue;
        }
        if (StartsWithMagic(IncludeTrailingPathDelimiter(folder) + entry.Name)) {
            names.push_back(entry.Name);
        }
    }
    SortPartNames(names, pattern);
    return names;
}

TPartInfo ReadPartInfo(const std::string& folder, const std::string& name, const TSiblingPattern& pattern) {
    TPartInfo info;
    info.Name = name;
    info.Number = pattern.NumberOf(name).value_or(std::string());
    TFileStream part = TFileStream::OpenRead(IncludeTrailingPathDelimiter(folder) + name);
    info.FileSize = part.Size();
    TFirstHeaderBlock block{};
    size_t got = part.Read(block.data(), block.size());
    if (got >= static_cast<size_t>(PrefixHeaderSize) && HasPartMagic(block.data(), got)) {
        info.HasHeader = true;
        info.Header = DecodePartHeader(block.data(), got);
    }
    return info;
}

std::string FindSeriesProblem(const std::vector<TPartInfo>& parts) {
    if (parts.empty()) {
        return "No part files were found";
    }
    if (std::string problem = CheckFirstPart(parts.front()); !problem.empty()) {
        return problem;
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        const TPartInfo& part = parts[i];
        if (!part.HasHeader) {
            return "The part " + Quoted(part.Name) + " is not a part file";
        }
        if (i > 0 && !IsNextNumber(parts[i - 1].Number, part.Number)) {
            return CompareNumbers(parts[i - 1].Number, part.Number) == 0
                       ? "The parts " + Quoted(parts[i - 1].Name) + " and " + Quoted(part.Name) + " have the same number"
                       : "A part is missing between " + Quoted(parts[i - 1].Name) + " and " + Quoted(part.Name);
        }
        if (std::string problem = CheckPartLength(part, i == 0); !problem.empty()) {
            return problem;
        }
    }
    const TPartInfo& last = parts.back();
    bool complete = parts.size() == 1 ? static_cast<uint32_t>(last.Header.PayloadSize) == last.Header.SourceSize
                                      : last.Header.Kind == PartKindLast;
    if (!complete) {
        return "The series is incomplete: parts after " + Quoted(last.Name) + " are missing";
    }
    return {};
}

int64_t TotalPayload(const std::vector<TPartInfo>& parts) {
    int64_t total = 0;
    for (const TPartInfo& part : parts) {
        total += std::max<int64_t>(part.Header.PayloadSize, 0);
    }
    return total;
}

} // namespace sj
