// The process-wide strings of the application shell: the per-user data folder, the
// folders last used in the dialogs, and the product strings read from the product
// configuration. One variable, `GlobalVars`, lives for the whole process.
#pragma once

#include <string>

namespace sj {

struct TGlobalVars {
    std::string DataDir; // always ends in a backslash once set
    std::string LastOpenFileDir;
    std::string LastOpenFolderDir;
    std::string Version;
    std::string RightsHolder;
    std::string HelpContentLink;
    std::string HowToLink;
    std::string HomePageLink;
    std::string MoreFreeToolsLink;
    std::string CheckForUpdatesLink;
    std::string SupportLink;
};

extern TGlobalVars GlobalVars;

} // namespace sj
