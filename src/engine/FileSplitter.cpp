#include "engine/FileSplitter.h"

#include "platform/Exception.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/PathUtils.h"

#include <algorithm>

namespace sj {

namespace {

std::string FileNotFound(const std::string& path) { return "File \"" + path + "\" does not exist"; }

// Closes and deletes a half-written output. The stream is closed first: Windows
// cannot delete an open file.
void CloseAndRemove(TFileStream& stream) noexcept {
    try {
        stream.Close();
    } catch (const Exception&) {
        // The file is deleted anyway; the original failure is the one to report.
    }
    RemoveFile(stream.Path());
}

// Deletes the file of a stream it was given unless released, so a half-written
// output never survives.
class TDeleteOnFailure {
public:
    explicit TDeleteOnFailure(TFileStream& stream) : stream_(&stream), path_(stream.Path()) {}
    explicit TDeleteOnFailure(std::string path) : path_(std::move(path)) {}
    TDeleteOnFailure(const TDeleteOnFailure&) = delete;
    TDeleteOnFailure& operator=(const TDeleteOnFailure&) = delete;
    ~TDeleteOnFailure() {
        if (path_.empty()) {
            return;
        }
        if (stream_) {
            CloseAndRemove(*stream_);
        } else {
            RemoveFile(path_);
        }
    }
    void Release() { path_.clear(); }

private:
    TFileStream* stream_ = nullptr;
    std::string path_;
};

} // namespace

void TFileSplitter::SetSourceFile(const std::string& path) {
    if (!FileExists(path)) {
        throw Exception(FileNotFound(path));
    }
    SourceFile = path;
    SourceSize = TFileStream::OpenRead(path).Size();
}

void TFileSplitter::Split() {
    TPartNameTemplate names(DestFile);
    PartCount = 0;
    OverwrittenParts.clear();
    createdParts_.clear();
    if (!FileExists(SourceFile)) {
        throw Exception("Source file (" + SourceFile + ") does not exist");
    }
    if (PartSize < MinPartSize) {
        throw Exception("Destination minimum size must be 1kB (1024Bytes");
    }
    // The header fields are int32: a part of 2 GiB or more cannot be described.
    if (PartSize >= PartSizeLimit) {
        throw Exception("The part size must be less than 2 GB (2147483648 bytes)");
    }
    TFileStream source = TFileStream::OpenRead(SourceFile);
    buffer_.resize(std::clamp<size_t>(BufferSize, 1, std::min<size_t>(CopyBufferSize, static_cast<size_t>(PartSize))));
    TProgressThrottle progress(OnProgress);
    // Every part stream is closed by the time a failure arrives here, so the parts
    // can be deleted.
    try {
        WriteAllParts(source, names, progress);
    } catch (const EJobCancelled&) {
        RemoveCreatedParts();
        throw EJobCancelled(CancelledMessage());
    } catch (...) {
        RemoveCreatedParts();
        throw;
    }
    progress.Finish(source.Position(), PartCount);
    buffer_ = {};
}

void TFileSplitter::WriteAllParts(TFileStream& source, const TPartNameTemplate& names, TProgressThrottle& progress) {
    WriteFirstPart(source, names.Format(1), progress);
    PartCount = 1;
    const int64_t capacity = PartSize - PrefixHeaderSize;
    for (int64_t number = 2; source.Position() < source.Size(); ++number) {
        int64_t remaining = source.Size() - source.Position();
        WritePart(source, std::min(capacity, remaining), names.Format(number), static_cast<int>(number), progress);
        PartCount = static_cast<int>(number);
    }
}

TFileStream TFileSplitter::CreatePart(const std::string& partPath) {
    CheckCancel();
    CheckNotSource(partPath);
    bool existed = FileExists(partPath);
    TFileStream part = TFileStream::Create(partPath);
    (existed ? OverwrittenParts : createdParts_).push_back(partPath);
    return part;
}

void TFileSplitter::WriteFirstPart(TFileStream& source, const std::string& partPath, TProgressThrottle& progress) {
    const int64_t payload = PartSize - FirstHeaderSize;
    TFirstHeaderBlock header = EncodeFirstHeader(static_cast<int32_t>(payload), ExtractFileName(SourceFile), SourceSize);
    TFileStream part = CreatePart(partPath);
    try {
        part.WriteBuffer(header.data(), header.size());
        int64_t total = source.Size();
        int64_t copied = part.CopyFrom(source, payload, buffer_, [&](size_t) {
            progress.Report(source.Position(), total, 1);
            CheckCancel();
        });
        if (copied < payload) {
            throw Exception("Source file does not have enough data. There is no point to split it. Abort splitting");
        }
        part.Close();
    } catch (const EJobCancelled&) {
        throw; // the split removes what it created and keeps what was there before
    } catch (...) {
        // A first part that could not be completed goes, even one that replaced an
        // older file of its name: a stray first part would look like a whole series.
        CloseAndRemove(part);
        throw;
    }
}

void TFileSplitter::WritePart(TFileStream& source, int64_t count, const std::string& partPath, int number,
                              TProgressThrottle& progress) {
    // The kind is settled by whether this part's read reaches the end of the source;
    // the length is re-read afterwards so a file that grows meanwhile is followed.
    bool isLast = source.Position() + count >= source.Size();
    TPrefixBlock header = EncodeContinuationHeader(isLast, static_cast<int32_t>(count));
    TFileStream part = CreatePart(partPath);
    part.WriteBuffer(header.data(), header.size());
    int64_t total = source.Size();
    int64_t copied = part.CopyFrom(source, count, buffer_, [&](size_t) {
        progress.Report(source.Position(), total, number);
        CheckCancel();
    });
    if (copied < count) {
        throw EFileError("Stream read error"); // the source shrank while being split
    }
    bool reachedEnd = source.Position() >= source.Size();
    if (reachedEnd != isLast) {
        TPrefixBlock fixed = EncodeContinuationHeader(reachedEnd, static_cast<int32_t>(count));
        part.Seek(0);
        part.WriteBuffer(fixed.data(), fixed.size());
    }
    part.Close();
}

void TFileSplitter::CheckNotSource(const std::string& partPath) const {
    if (IsSameFile(partPath, SourceFile)) {
        throw Exception("The part file \"" + partPath + "\" would overwrite the file being split");
    }
}

void TFileSplitter::CheckCancel() const {
    if (CancelRequested && CancelRequested()) {
        throw EJobCancelled(SplitCancelledMessage);
    }
}

void TFileSplitter::RemoveCreatedParts() noexcept {
    for (const std::string& path : createdParts_) {
        RemoveFile(path);
    }
    createdParts_.clear();
}

std::string TFileSplitter::CancelledMessage() const {
    std::string message = SplitCancelledMessage;
    if (OverwrittenParts.empty()) {
        return message;
    }
    message += OverwrittenParts.size() == 1 ? " This part file existed before and was overwritten:"
                                            : " These part files existed before and were overwritten:";
    for (size_t i = 0; i < OverwrittenParts.size(); ++i) {
        message += (i == 0 ? " \"" : ", \"") + OverwrittenParts[i] + "\"";
    }
    return message;
}

void TFileJointer::SetPartFile(const std::string& path) {
    if (!FileExists(path)) {
        throw Exception(FileNotFound(path));
    }
    SelectedFile = path;
    FindParts();
}

std::string TFileJointer::PartsFolder() const { return ExtractFilePath(SelectedFile); }

TSiblingPattern TFileJointer::Pattern() const { return DeriveSiblingPattern(ExtractFileName(SelectedFile)); }

void TFileJointer::FindParts() {
    Parts.clear();
    CheckIsPartFile(SelectedFile);
    Parts = FindSeriesParts(PartsFolder(), Pattern());
}

std::vector<TPartInfo> TFileJointer::ReadParts() const {
    TSiblingPattern pattern = Pattern();
    std::vector<TPartInfo> parts;
    parts.reserve(Parts.size());
    for (const std::string& name : Parts) {
        parts.push_back(ReadPartInfo(PartsFolder(), name, pattern));
    }
    return parts;
}

std::string TFileJointer::OutputPath(const std::vector<TPartInfo>& parts) const {
    if (parts.empty()) {
        throw Exception("No part files were found");
    }
    std::string name = CheckJoinedFileName(parts.front().Header.SourceName);
    std::string folder = DestFolder.empty() ? PartsFolder() : IncludeTrailingPathDelimiter(DestFolder);
    return folder + name;
}

std::string TFileJointer::Join() {
    SortPartNames(Parts, Pattern());
    std::vector<TPartInfo> parts = ReadParts();
    if (std::string problem = FindSeriesProblem(parts); !problem.empty()) {
        throw Exception(problem);
    }
    std::string output = OutputPath(parts);
    CheckOutputIsNoPart(output);
    std::string temporary = CopyPayloadsToTemporary(parts, output);
    TDeleteOnFailure guard(temporary);
    RenameFileReplacing(temporary, output);
    guard.Release();
    return output;
}

void TFileJointer::CheckOutputIsNoPart(const std::string& output) const {
    for (const std::string& name : Parts) {
        if (IsSameFile(output, PartsFolder() + name)) {
            throw Exception("The joined file \"" + output + "\" would replace its own part \"" + name + "\"");
        }
    }
}

std::string TFileJointer::CopyPayloadsToTemporary(const std::vector<TPartInfo>& parts, const std::string& output) {
    // The output is written under a fresh name beside the target and renamed when
    // complete, so a failed join never touches an existing file of the target's name.
    TFileStream joined = [&] {
        for (int attempt = 1;; ++attempt) {
            std::string candidate = output + "." + std::to_string(attempt) + ".joining";
            if (FileExists(candidate) || DirectoryExists(candidate)) {
                continue;
            }
            try {
                return TFileStream::CreateNew(candidate);
            } catch (const EFileError& error) {
                // The user knows the output's name, not the temporary one.
                std::string message = error.what();
                message.replace(message.find(candidate), candidate.size(), output);
                throw EFileError(message);
            }
        }
    }();
    std::string temporary = joined.Path();
    TDeleteOnFailure guard(joined);
    std::vector<std::byte> buffer(std::clamp<size_t>(BufferSize, 1, CopyBufferSize));
    const int64_t total = TotalPayload(parts);
    TProgressThrottle progress(OnProgress);
    int64_t done = 0;
    int number = 0;
    for (const TPartInfo& info : parts) {
        CheckCancel();
        ++number;
        TFileStream part = TFileStream::OpenRead(PartsFolder() + info.Name);
        part.Seek(info.Header.HeaderSize);
        int64_t copied = joined.CopyFrom(part, info.Header.PayloadSize, buffer, [&](size_t chunk) {
            done += static_cast<int64_t>(chunk);
            progress.Report(done, total, number);
            CheckCancel();
        });
        if (copied < info.Header.PayloadSize) {
            throw EFileError("Stream read error");
        }
    }
    joined.Close();
    guard.Release();
    progress.Finish(total, number);
    return temporary;
}

void TFileJointer::CheckCancel() const {
    if (CancelRequested && CancelRequested()) {
        throw EJobCancelled(JoinCancelledMessage);
    }
}

} // namespace sj
