// The program's artwork, drawn by code: the application icon, the button and tab
// icons and the pictures of the main window's pages. One flat style throughout:
// white paper with blue edges, orange for splitting, green for joining and starting.
#pragma once

#include "platform/Pixmap.h"

#include <string>
#include <vector>

namespace sj::art {

// The application icon at one of its sizes (16, 24, 32, 48, 256).
TacPixmap DrawAppIcon(int size);

// The sizes icon.ico holds, smallest first.
const std::vector<int>& AppIconSizes();

struct TPicture {
    std::string FileName;
    int Size = 0;
    TacPixmap (*Draw)(int size) = nullptr;
};

// Every PNG picture the program loads, with its file name and size.
const std::vector<TPicture>& Pictures();

} // namespace sj::art
