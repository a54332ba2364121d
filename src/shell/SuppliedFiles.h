// Names of the files the build puts next to the program: the product configuration,
// the application icon and the pictures of the main window. The build's generators
// and the program both take the names from here.
#pragma once

namespace sj {

inline constexpr char ConfigFileBaseName[] = "lamecore.dll";
inline constexpr char IconFileName[] = "icon.ico";

// 16 x 16 button icons, in the order of the small image list.
inline constexpr char IconOpenFilePng[] = "icon16_openfile.png";
inline constexpr char IconFolderPng[] = "icon16_folder.png";
inline constexpr char IconStartPng[] = "icon16_start.png";
inline constexpr char IconHelpPng[] = "icon16_help.png";

// 32 x 32 tab icons, in the order of the large image list.
inline constexpr char TabSplitPng[] = "tab32_split.png";
inline constexpr char TabJoinPng[] = "tab32_join.png";

// 32 x 32 pictures beside the texts and group boxes of the two pages.
inline constexpr char PictureSplitTopPng[] = "page_split_top.png";
inline constexpr char PictureSplitFilePng[] = "page_split_file.png";
inline constexpr char PictureSplitSizePng[] = "page_split_size.png";
inline constexpr char PictureJoinTopPng[] = "page_join_top.png";
inline constexpr char PictureJoinFilePng[] = "page_join_file.png";

} // namespace sj
