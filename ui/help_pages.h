// The help: a few HTML pages (docs/help/) that every platform ships, and the
// page each help keyword opens. Windows builds them into the program and
// writes them out before opening one; Linux installs them.
#pragma once

#include <cstdint>
#include <string_view>

#include "ui/dialog_host.h"
#include "ui/dialog_ids.h"

namespace brindlemar::ui {

struct HelpPage {
  const char* file;
  int32_t resource;  // its number among the program's resources
};

inline constexpr HelpPage kHelpPages[] = {
    {"index.html", IDR_HELP_INDEX},      {"main.html", IDR_HELP_MAIN},   {"messages.html", IDR_HELP_MESSAGES},
    {"additional.html", IDR_HELP_ADDITIONAL}, {"about.html", IDR_HELP_ABOUT}, {"help.css", IDR_HELP_STYLE},
};

// The front page, which also stands for the product's web page.
inline constexpr const char* kHelpFrontPage = "index.html";

// The page a keyword opens; the front page for a keyword it does not know.
inline const char* HelpPageFor(std::string_view keyword) {
  if (keyword == kMainHelpTopic) return "main.html";
  if (keyword == kMessagesHelpTopic) return "messages.html";
  if (keyword == kStyleHelpTopic) return "additional.html";
  return kHelpFrontPage;
}

}  // namespace brindlemar::ui
