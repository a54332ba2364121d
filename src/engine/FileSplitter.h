// TFileSplitter cuts one file into a numbered series of part files; TFileJointer
// rebuilds the file from any one part of a series. Both work synchronously on the
// calling thread, stream through one fixed buffer whatever the part size, and raise
// sj::Exception with the user's message on every failure. A job that fails or is
// cancelled half-way leaves the disk as it found it: the split removes the part files
// it created, the join its temporary output.
#pragma once

#include "engine/JobControl.h"
#include "engine/PartSeries.h"
#include "platform/FileStream.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sj {

// Size of the one buffer every copy goes through.
inline constexpr size_t CopyBufferSize = 1 << 20;

inline constexpr char SplitCancelledMessage[] = "Split job was cancelled.";
inline constexpr char JoinCancelledMessage[] = "Join job was cancelled.";

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
    // Reports bytes of the source done; may be called on the thread running Split.
    TProgressEvent OnProgress;
    // Asked before each part and after each chunk; a true answer ends Split with
    // EJobCancelled after the clean-up.
    TCancelQuery CancelRequested;
    // The copies' buffer size; small sizes give tests many chunks.
    size_t BufferSize = CopyBufferSize;
    // Part files of the last Split that existed before it and were overwritten. A
    // failed or cancelled split cannot give them back; the cancel message names them.
    std::vector<std::string> OverwrittenParts;

    void SetSourceFile(const std::string& path);
    void Split();

private:
    void WriteAllParts(TFileStream& source, const TPartNameTemplate& names, TProgressThrottle& progress);
    void WriteFirstPart(TFileStream& source, const std::string& partPath, TProgressThrottle& progress);
    void WritePart(TFileStream& source, int64_t count, const std::string& partPath, int number,
                   TProgressThrottle& progress);
    TFileStream CreatePart(const std::string& partPath);
    void CheckNotSource(const std::string& partPath) const;
    void CheckCancel() const;
    void RemoveCreatedParts() noexcept;
    std::string CancelledMessage() const;

    std::vector<std::byte> buffer_;
    std::vector<std::string> createdParts_;
};

class TFileJointer {
public:
    std::string SelectedFile;
    // Bare names of the series' parts in number order.
    std::vector<std::string> Parts;
    // Empty means the picked part's folder.
    std::string DestFolder;
    // Reports payload bytes joined; may be called on the thread running Join.
    TProgressEvent OnProgress;
    // Asked before each part and after each chunk; a true answer ends Join with
    // EJobCancelled after the temporary output is removed.
    TCancelQuery CancelRequested;
    size_t BufferSize = CopyBufferSize;

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
    void CheckCancel() const;
};

} // namespace sj
