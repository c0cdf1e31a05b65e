#include "dialogs/browse.h"

#include "base/text.h"
#include "main/launch.h"

namespace tavo {

std::int32_t GetBrowsePath(BrowseRequest& request, FileOpenDialog& dialog, Reporter& reporter) {
  Scope scope(reporter, kBrowseLocation);
  std::int32_t result = 0;
  scope.step([&] { request.path = std::u16string(trimBlanks(request.path)); });
  // The stored value is a command line: start at its program part, without
  // quotes or arguments.
  CmdLine start;
  scope.step([&] {
    if (request.path.empty()) return;
    start.program = request.path;
    SplitCmdLine(start, reporter);
  });
  std::optional<std::u16string> chosen;
  scope.step([&] { chosen = dialog.choose(request, start.program); });
  scope.step([&] {
    if (!chosen) return;
    std::u16string path(beforeNul(*chosen));
    request.path = contains(path, u" ") ? u"\"" + path + u"\"" : path;
    result = 1;
  });
  return result;
}

}  // namespace tavo
