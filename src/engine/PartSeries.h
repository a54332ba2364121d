// A series of part files as found on disk: which entries beside a picked part
// belong to it, in what order, what their headers say, and whether the series can
// be joined. The joiner, the command-line tool's "info" and the window share it.
#pragma once

#include "engine/PartFormat.h"

#include <string>
#include <vector>

namespace sj {

// One part file as read from disk.
struct TPartInfo {
    std::string Name;   // bare file name
    std::string Number; // the digits that number it
    int64_t FileSize = 0;
    bool HasHeader = false; // at least the 17-byte prefix could be read
    TPartHeader Header;
};

// Fails with "This file is not our split file" unless the file starts with at least
// 17 bytes of which the first 8 are the magic; an unreadable file raises the
// platform's open error.
void CheckIsPartFile(const std::string& path);

// The bare names of the entries of folder that match pattern with a run of digits in
// place of "*" and begin with the magic, ordered by that number. Folders are left
// out, and so are files without the magic (they are not parts). A file that cannot
// be opened stays in, so the join reports it instead of skipping it.
std::vector<std::string> FindSeriesParts(const std::string& folder, const TSiblingPattern& pattern);

// Sorts bare part names by their number; equal numbers by name.
void SortPartNames(std::vector<std::string>& names, const TSiblingPattern& pattern);

// Reads size and header of one part; the platform's open error if it cannot be opened.
TPartInfo ReadPartInfo(const std::string& folder, const std::string& name, const TSiblingPattern& pattern);

// The first reason the ordered parts cannot be joined into the stored file, naming
// the file concerned; empty when they can.
std::string FindSeriesProblem(const std::vector<TPartInfo>& parts);

// Sum of the payload sizes.
int64_t TotalPayload(const std::vector<TPartInfo>& parts);

} // namespace sj
