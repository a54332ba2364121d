// TFileSplitter cuts one file into a numbered series of part files; TFileJointer
// rebuilds the file from any one part of a series. Both work synchronously, stream
// through one fixed buffer whatever the part size, and raise sj::Exception with the
// user's message on every failure.
#pragma once

#include "engine/PartSeries.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sj {

// Called after each chunk with the bytes done so far and the total expected.
using TProgressEvent = std::function<void(int64_t done, int64_t total)>;

// Size of the one buffer every copy goes through.
inline constexpr size_t CopyBufferSize = 1 << 20;

class TFileSplitter {
public:
    std::string SourceFile;
    int64_t PartSize = MinPartSize;
    // The parts' path without number (see MakeSplitDestFile).
    std::string DestFile;
    // The source's full length; the first part stores its low 32 bits.
    int64_t SourceSize = 0;
    // Number of part files written by the last Split.
    int PartCount = 0;
    TProgressEvent OnProgress;

    void SetSourceFile(const std::string& path);
    void Split();

private:
    void WriteFirstPart(TFileStream& source, const std::string& partPath);
    void WritePart(TFileStream& source, int64_t count, const std::string& partPath);
    void CheckNotSource(const std::string& partPath) const;
    void ReportProgress(const TFileStream& source, int64_t total) const;

    std::vector<std::byte> buffer_;
};

class TFileJointer {
public:
    std::string SelectedFile;
    // Bare names of the series' parts in number order.
    std::vector<std::string> Parts;
    // Empty means the picked part's folder.
    std::string DestFolder;
    TProgressEvent OnProgress;

    void SetPartFile(const std::string& path);
    void FindParts();
    // Reads the headers of Parts again; the series as Join would see it.
    std::vector<TPartInfo> ReadParts() const;
    // Where Join will create the file; fails when the stored name is unusable.
    std::string OutputPath(const std::vector<TPartInfo>& parts) const;
    // Writes the joined file and returns its path.
    std::string Join();

    std::string PartsFolder() const;

private:
    TSiblingPattern Pattern() const;
    void CheckOutputIsNoPart(const std::string& output) const;
    std::string CopyPayloadsToTemporary(const std::vector<TPartInfo>& parts, const std::string& output);
};

} // namespace sj
